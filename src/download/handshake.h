#pragma once
// The tool's side of a download, without any I/O: started with a memory image, it takes the
// bytes that arrive from the controller and says what to write in answer and what happened.
//
//   tool -> controller  0x41        start of a download (what start() returns)
//   controller -> tool  0x41        asks for the 38-byte header
//   controller -> tool  0x42        asks for the next chunk of at most 4096 pixel bytes
//   controller -> tool  0x16        has all the data
//
// Only the first byte of each read is looked at. The tool never waits and has no time-out: it
// only answers what arrives. After the last chunk the count starts over, so a further 0x42
// fetches chunk 1 again.

#include <cstdint>
#include <span>

#include "download/memory_image.h"

namespace pelmora {

constexpr std::int32_t chunkSize = 4096;
constexpr std::uint8_t startOfDownload = 0x41;
constexpr std::uint8_t headerRequest = 0x41;
constexpr std::uint8_t chunkRequest = 0x42;
constexpr std::uint8_t allReceived = 0x16;

// What one read from the controller led to. At most one request is answered per read.
struct HandshakeStep {
    std::span<const std::uint8_t> write;  // the answer to write now; empty: nothing
    bool headerSent = false;
    int chunk = 0;           // chunk `chunk` of chunks() was written; 0: no chunk
    bool idleAgain = false;  // the last chunk is behind: the next 0x42 fetches chunk 1
    bool completed = false;  // the controller's completion byte 0x16
};

class Handshake {
public:
    Handshake();

    // The image that later requests are answered from: the send command builds it anew every
    // time, also when it then finds the port closed. Until then the header is 38 zero bytes.
    void load(MemoryImage image);
    // Begins a download of the loaded image: the chunk count starts at 0. Returns the start byte.
    std::span<const std::uint8_t> start();
    HandshakeStep receive(std::span<const std::uint8_t> bytes);

    // Chunk writes of the download begun last: full chunks, and one for a shorter tail.
    int chunks() const { return chunkCount_ + (tailBytes_ > 0 ? 1 : 0); }
    // Whether the header and the last chunk have been written since start(): chunks only go out
    // in order, so the whole image has. The window does not ask; pelmora-send takes a completion
    // byte as done only then.
    bool wholeImageSent() const { return headerSent_ && (lastChunkSent_ || chunks() == 0); }

private:
    std::span<const std::uint8_t> nextChunk(HandshakeStep& step);

    MemoryImage image_;  // copied at send time: later table changes leave a running download alone
    std::int32_t chunkCount_ = 0;
    std::int32_t tailBytes_ = 0;
    std::int32_t chunkIndex_ = 0;
    bool headerSent_ = false;
    bool lastChunkSent_ = false;
};

}  // namespace pelmora
