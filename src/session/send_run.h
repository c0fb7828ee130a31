#pragma once
// One download of pelmora-send: the start byte, then the handshake's answer to every request, on
// whatever serial port the program opened, until the controller has everything, makes no request
// for longer than the timeout (bytes that ask for nothing do not count), runs past the deadline,
// says it has everything before it was sent everything, or the line is lost. The program's own
// event loop delivers the port's events and calls check() now and then.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "download/handshake.h"
#include "platform/serial_port.h"
#include "session/send_command.h"

namespace pelmora {

struct RunLimits {
    std::int64_t silenceMs = 5000;  // the longest wait for a request that gets an answer
    std::int64_t deadlineMs = 0;    // the longest whole download; 0: none
};

class SendRun : private SerialPort::Listener {
public:
    using Clock = std::function<std::int64_t()>;                  // milliseconds, never going back
    using Progress = std::function<void(int chunk, int chunks)>;  // after each chunk written
    using Trace = std::function<void(const std::string& line)>;   // each byte in, each answer out

    SendRun(SerialPort& port, MemoryImage image, RunLimits limits, Clock clock, Progress progress, Trace trace = {});
    ~SendRun() override;
    SendRun(const SendRun&) = delete;
    SendRun& operator=(const SendRun&) = delete;

    void start();
    // Ends the run once the timeout or the deadline has passed.
    void check();
    // Set once the run is over, with what the command says about it.
    const std::optional<SendResult>& result() const { return result_; }
    const std::string& message() const { return message_; }
    // The bytes written in answer to the controller's requests: the header and the chunks.
    std::int64_t bytesSent() const { return bytesSent_; }

private:
    void commEvent(int code) override;
    void portLost() override;
    void answer(const HandshakeStep& step, std::size_t bytesRead);
    void traceRead(const std::vector<std::uint8_t>& bytes, const HandshakeStep& step);
    void completed();
    void finish(SendResult result, std::string message);

    SerialPort& port_;
    Handshake handshake_;
    RunLimits limits_;
    Clock clock_;
    Progress progress_;
    Trace trace_;
    std::int64_t total_ = 0;  // the header and the pixel data
    std::int64_t started_ = 0, lastRequest_ = 0;
    std::int64_t ignored_ = 0;  // bytes since the last answered request that asked for nothing
    std::int64_t bytesSent_ = 0;
    std::optional<SendResult> result_;
    std::string message_;
};

}  // namespace pelmora
