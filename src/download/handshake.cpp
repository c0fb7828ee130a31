#include "download/handshake.h"

#include <algorithm>
#include <utility>

namespace pelmora {

namespace {
constexpr std::uint8_t startBytes[1] = {startOfDownload};
}

Handshake::Handshake() { image_.imageBuffer.assign(imageBufferSize, 0); }

void Handshake::load(MemoryImage image) {
    image_ = std::move(image);
    // Chunks are always cut whole from the buffer: it must reach past the last one, whatever
    // image it is given (the tool's own are 65536 bytes).
    const std::size_t needed =
        std::max<std::size_t>(imageBufferSize, static_cast<std::size_t>(std::max(image_.dataLength, 0)) + chunkSize);
    if (image_.imageBuffer.size() < needed) image_.imageBuffer.resize(needed, 0);
    if (image_.dataLength < 0) image_.dataLength = 0;
}

std::span<const std::uint8_t> Handshake::start() {
    chunkCount_ = image_.dataLength / chunkSize;
    tailBytes_ = image_.dataLength % chunkSize;
    chunkIndex_ = 0;
    headerSent_ = lastChunkSent_ = false;
    return startBytes;
}

std::span<const std::uint8_t> Handshake::nextChunk(HandshakeStep& step) {
    ++chunkIndex_;
    const std::uint8_t* pixels = image_.imageBuffer.data();
    if (chunkIndex_ <= chunkCount_) {
        step.chunk = chunkIndex_;
        return {pixels + static_cast<std::size_t>(chunkIndex_ - 1) * chunkSize, static_cast<std::size_t>(chunkSize)};
    }
    chunkIndex_ = 0;
    step.idleAgain = true;
    if (tailBytes_ == 0) return {};
    step.chunk = chunks();
    return {pixels + static_cast<std::size_t>(chunkCount_) * chunkSize, static_cast<std::size_t>(tailBytes_)};
}

HandshakeStep Handshake::receive(std::span<const std::uint8_t> bytes) {
    HandshakeStep step;
    if (bytes.empty()) return step;
    switch (bytes.front()) {
        case headerRequest:
            step.write = image_.sendBuffer;
            step.headerSent = headerSent_ = true;
            break;
        case chunkRequest:
            step.write = nextChunk(step);
            if (step.chunk > 0 && step.chunk == chunks()) lastChunkSent_ = true;
            break;
        case allReceived:
            step.completed = true;
            break;
        default:
            break;
    }
    return step;
}

}  // namespace pelmora
