#include "emulator.h"

#include <algorithm>
#include <cstdio>

namespace pelmora::emulator {

namespace {

std::string hexByte(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(byte));
    return text;
}

}  // namespace

void ControllerEmulator::reset() {
    state_ = State::waitingForStart;
    current_.clear();
    outstanding_ = 0;
}

void ControllerEmulator::ask(std::uint8_t request, std::vector<std::uint8_t>& answers) {
    answers.push_back(request);
    if (!onRequest) return;
    std::string line = "-> " + hexByte(request);
    if (state_ == State::readingHeader) {
        line += " header";
    } else if (state_ == State::readingData) {
        line += " chunk " + std::to_string(chunksAsked_) + "/" + std::to_string(chunkTotal());
    } else {
        line += " all data received (" + std::to_string(dataLength_) + " bytes)";
    }
    onRequest(line);
}

// The faulty controller's early 0x16, once its byte count is reached.
bool ControllerEmulator::endsEarly(std::vector<std::uint8_t>& answers) {
    if (!earlyCompletionAfter || current_.size() < *earlyCompletionAfter) return false;
    state_ = State::complete;
    ++early_;
    answers.push_back(allReceived);
    if (onRequest)
        onRequest("-> 0x16 all data received, said early after " + std::to_string(current_.size()) + " bytes");
    return true;
}

// Takes as much of the outstanding request as this call holds in one go, then asks for more.
void ControllerEmulator::readOutstanding(std::span<const std::uint8_t> bytes, std::size_t& i,
                                         std::vector<std::uint8_t>& answers) {
    const std::size_t take = std::min(outstanding_, bytes.size() - i);
    current_.insert(current_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                    bytes.begin() + static_cast<std::ptrdiff_t>(i + take));
    outstanding_ -= take;
    i += take - 1;
    if (outstanding_ > 0 || endsEarly(answers)) return;
    if (state_ == State::readingHeader) dataLength_ = std::size_t{current_[0]} << 8 | current_[1];
    const std::size_t have = current_.size() - headerSize;
    if (have < dataLength_) {
        state_ = State::readingData;
        outstanding_ = std::min(chunkSize, dataLength_ - have);
        ++chunksAsked_;
        ask(chunkRequest, answers);
    } else {
        state_ = State::complete;
        image_ = current_;
        ++downloads_;
        ask(allReceived, answers);
    }
}

std::vector<std::uint8_t> ControllerEmulator::feed(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> answers;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // Whatever follows an answer in the same call was on its way before the answer left.
        if (!answers.empty()) {
            unexpected_ += bytes.size() - i;
            break;
        }
        if (state_ == State::readingHeader || state_ == State::readingData) {
            readOutstanding(bytes, i, answers);
            continue;
        }
        if (bytes[i] != startByte) {
            ++unexpected_;
            continue;
        }
        current_.clear();
        dataLength_ = 0;
        chunksAsked_ = 0;
        outstanding_ = headerSize;
        state_ = State::readingHeader;
        if (!endsEarly(answers)) ask(headerRequest, answers);
    }
    return answers;
}

}  // namespace pelmora::emulator
