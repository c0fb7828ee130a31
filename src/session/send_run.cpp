#include "session/send_run.h"

#include "session/texts.h"

namespace pelmora {

SendRun::SendRun(SerialPort& port, MemoryImage image, int timeoutSeconds, Clock clock, Progress progress)
    : port_(port),
      timeoutMs_(static_cast<std::int64_t>(timeoutSeconds) * 1000),
      clock_(std::move(clock)),
      progress_(std::move(progress)) {
    handshake_.load(std::move(image));
    port_.setListener(this);
}

SendRun::~SendRun() { port_.setListener(nullptr); }

void SendRun::start() {
    const auto startByte = handshake_.start();
    lastHeard_ = clock_();
    // Nothing else goes out that the controller did not ask for.
    if (!port_.write(startByte))
        finish(SendStatus::silent, std::string(texts::lineLost) + std::string(texts::noSuchPort));
}

void SendRun::check() {
    if (!result_ && clock_() - lastHeard_ > timeoutMs_)
        finish(SendStatus::silent, texts::controllerSilent(static_cast<int>(timeoutMs_ / 1000)));
}

void SendRun::commEvent(int code) {
    if (code != SerialPort::receiveEvent || result_) return;
    const auto bytes = port_.readAll();
    if (bytes.empty()) return;
    lastHeard_ = clock_();
    const HandshakeStep step = handshake_.receive(bytes);
    if (!step.write.empty()) port_.write(step.write);
    if (step.chunk > 0 && progress_) progress_(step.chunk, handshake_.chunks());
    if (step.completed) finish(SendStatus::done, std::string(texts::sent));
}

void SendRun::portLost() { finish(SendStatus::silent, std::string(texts::lineLost) + std::string(texts::noSuchPort)); }

void SendRun::finish(SendStatus status, std::string message) {
    if (result_) return;
    result_ = status;
    message_ = std::move(message);
}

}  // namespace pelmora
