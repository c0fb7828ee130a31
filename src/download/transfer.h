#pragma once
// The download: the send command and the handshake the controller paces.
//
//   tool -> controller  0x41        start of a download (written by the send command)
//   controller -> tool  0x41        asks for the 38-byte header
//   controller -> tool  0x42        asks for the next chunk of at most 4096 pixel bytes
//   controller -> tool  0x16        has all the data: the status line says so
//
// Only the first byte of each read is looked at. The tool never waits and has no time-out:
// it only answers what arrives.

#include <cstdint>
#include <vector>

#include "download/memory_image.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/views.h"
#include "show/show_table.h"

namespace pelmora {

constexpr std::int32_t chunkSize = 4096;
constexpr std::uint8_t startOfDownload = 0x41;
constexpr std::uint8_t headerRequest = 0x41;
constexpr std::uint8_t chunkRequest = 0x42;
constexpr std::uint8_t allReceived = 0x16;

inline constexpr const char* noShowsText = "请先导入文件后再发送数据。";
inline constexpr const char* portNotOpenText = "串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。";
inline constexpr const char* sendingText = "开始发送中......";
inline constexpr const char* sentText = "所有数据已经发送到控制器中.";

class Transfer {
public:
    Transfer(SerialPort& port, MainView& view, MessageBox& messages);

    // The click of comsend.
    void send(const ShowTable& table);
    // The serial port's communication event.
    void receive(int eventCode);

    const std::array<std::uint8_t, imageHeaderSize>& sendBuffer() const { return image_.sendBuffer; }
    const std::vector<std::uint8_t>& imageBuffer() const { return image_.imageBuffer; }
    std::uint8_t startByte() const { return startByte_; }
    std::int32_t chunkCount() const { return chunkCount_; }
    std::int32_t tailBytes() const { return tailBytes_; }
    std::int32_t chunkIndex() const { return chunkIndex_; }

private:
    void write(const std::uint8_t* data, std::size_t length);

    SerialPort& port_;
    MainView& view_;
    MessageBox& messages_;
    MemoryImage image_;  // copied at send time: later table changes leave a running transfer alone
    std::uint8_t startByte_ = 0;
    std::int32_t chunkCount_ = 0;
    std::int32_t tailBytes_ = 0;
    std::int32_t chunkIndex_ = 0;
};

}  // namespace pelmora
