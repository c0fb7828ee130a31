#pragma once
// The port button opencom: opens the port chosen in cbcom at 115200 8N1, or closes it.

#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/views.h"

namespace pelmora {

inline constexpr const char* portSettings = "115200,n,8,1";
inline constexpr const char* noSuchPortText = "不存在该串口,请重新选择.";
inline constexpr const char* openPortCaption = "打开串口";
inline constexpr const char* closePortCaption = "关闭串口";
inline constexpr Rgb lampOff{0, 0, 0};
inline constexpr Rgb lampOn{255, 0, 0};
constexpr int portOutBufferSize = 4096;  // one full chunk
constexpr int portInBufferSize = 1024;

class PortControl {
public:
    PortControl(SerialPort& port, MainView& view, MessageBox& messages);

    void toggle();    // click of opencom
    void portLost();  // the open port broke (an adapter pulled out): close it, say so once

private:
    bool openSequence();
    void closeSequence();
    void reportFailure();

    SerialPort& port_;
    MainView& view_;
    MessageBox& messages_;
};

}  // namespace pelmora
