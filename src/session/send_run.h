#pragma once
// One download of pelmora-send: the start byte, then the handshake's answer to every request, on
// whatever serial port the program opened, until the controller has everything, goes silent for
// longer than the timeout, or the line is lost. The program's own event loop delivers the port's
// events and calls check() now and then.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "download/handshake.h"
#include "platform/serial_port.h"
#include "session/send_command.h"

namespace pelmora {

class SendRun : private SerialPort::Listener {
public:
    using Clock = std::function<std::int64_t()>;                  // milliseconds, never going back
    using Progress = std::function<void(int chunk, int chunks)>;  // after each chunk written

    SendRun(SerialPort& port, MemoryImage image, int timeoutSeconds, Clock clock, Progress progress);
    ~SendRun() override;
    SendRun(const SendRun&) = delete;
    SendRun& operator=(const SendRun&) = delete;

    void start();
    // Ends the run as silent once the controller has said nothing for the timeout.
    void check();
    // Set once the run is over, with what the command says about it.
    const std::optional<SendStatus>& result() const { return result_; }
    const std::string& message() const { return message_; }

private:
    void commEvent(int code) override;
    void portLost() override;
    void finish(SendStatus status, std::string message);

    SerialPort& port_;
    Handshake handshake_;
    std::int64_t timeoutMs_;
    Clock clock_;
    Progress progress_;
    std::int64_t lastHeard_ = 0;
    std::optional<SendStatus> result_;
    std::string message_;
};

}  // namespace pelmora
