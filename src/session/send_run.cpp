#include "session/send_run.h"

#include "session/texts.h"

namespace pelmora {

SendRun::SendRun(SerialPort& port, MemoryImage image, RunLimits limits, Clock clock, Progress progress, Trace trace)
    : port_(port),
      limits_(limits),
      clock_(std::move(clock)),
      progress_(std::move(progress)),
      trace_(std::move(trace)),
      total_(static_cast<std::int64_t>(imageHeaderSize) + image.dataLength) {
    handshake_.load(std::move(image));
    port_.setListener(this);
}

SendRun::~SendRun() { port_.setListener(nullptr); }

void SendRun::start() {
    const auto startByte = handshake_.start();
    started_ = lastRequest_ = clock_();
    if (trace_) trace_(std::string(texts::traceStart));
    // Nothing else goes out that the controller did not ask for.
    if (!port_.write(startByte))
        finish(SendResult::lineLost, std::string(texts::lineLost) + std::string(texts::noSuchPort));
}

void SendRun::check() {
    if (result_) return;
    const std::int64_t now = clock_();
    if (limits_.deadlineMs > 0 && now - started_ > limits_.deadlineMs)
        finish(SendResult::deadline, texts::deadlinePassed(limits_.deadlineMs, bytesSent_, total_));
    else if (now - lastRequest_ > limits_.silenceMs)
        finish(SendResult::silent, texts::controllerSilent(now - lastRequest_, ignored_));
}

void SendRun::commEvent(int code) {
    if (code != SerialPort::receiveEvent || result_) return;
    const auto bytes = port_.readAll();
    if (bytes.empty()) return;
    const HandshakeStep step = handshake_.receive(bytes);
    if (trace_) traceRead(bytes, step);
    answer(step, bytes.size());
    if (step.completed) completed();
}

// Writes the handshake's answer; only a request answered restarts the timeout.
void SendRun::answer(const HandshakeStep& step, std::size_t bytesRead) {
    const bool asked = !step.write.empty() || step.completed;
    ignored_ += static_cast<std::int64_t>(bytesRead) - (asked ? 1 : 0);
    if (step.write.empty()) return;
    port_.write(step.write);
    bytesSent_ += static_cast<std::int64_t>(step.write.size());
    lastRequest_ = clock_();
    ignored_ = 0;
    if (trace_)
        trace_(step.headerSent ? std::string(texts::traceHeader)
                               : texts::traceChunk(step.chunk, handshake_.chunks(), step.write.size()));
    if (step.chunk > 0 && progress_) progress_(step.chunk, handshake_.chunks());
}

void SendRun::traceRead(const std::vector<std::uint8_t>& bytes, const HandshakeStep& step) {
    std::string_view meaning = texts::byteIgnored;
    if (step.headerSent)
        meaning = texts::headerAsked;
    else if (step.chunk > 0 || step.idleAgain)
        meaning = texts::chunkAsked;
    else if (step.completed)
        meaning = texts::allReceivedSaid;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        trace_(texts::traceReceived(bytes[i], i == 0 ? meaning : texts::byteIgnored));
}

// The completion byte: done only when the whole image went out before it.
void SendRun::completed() {
    if (handshake_.wholeImageSent())
        finish(SendResult::done, std::string(texts::sent));
    else
        finish(SendResult::earlyEnd, texts::earlyCompletion(bytesSent_, total_));
}

void SendRun::portLost() {
    finish(SendResult::lineLost, std::string(texts::lineLost) + std::string(texts::noSuchPort));
}

void SendRun::finish(SendResult result, std::string message) {
    if (result_) return;
    result_ = result;
    message_ = std::move(message);
}

}  // namespace pelmora
