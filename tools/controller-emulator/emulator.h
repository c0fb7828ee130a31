#pragma once
// The controller's side of a download, without any I/O: fed the bytes the tool sends, it
// returns the bytes the controller answers.
//
//   tool -> controller  0x41            start of a download
//   controller -> tool  0x41            send me the 38-byte header
//   tool -> controller  38 bytes        the header; bytes 0-1 are the data length (big-endian)
//   controller -> tool  0x42            send me the next chunk: min(4096, what is still missing)
//   tool -> controller  the chunk
//   controller -> tool  0x16            all data is here
//
// A request takes effect once its answer has left feed(): bytes that come in the same call
// after a chunk (or the header) was complete were sent before the request could have arrived,
// so, like every byte that arrives when nothing was asked for, they are counted as unexpected
// and otherwise dropped. Any byte stream is accepted.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelmora::emulator {

inline constexpr std::uint8_t startByte = 0x41;
inline constexpr std::uint8_t headerRequest = 0x41;
inline constexpr std::uint8_t chunkRequest = 0x42;
inline constexpr std::uint8_t allReceived = 0x16;
inline constexpr std::size_t headerSize = 38;
inline constexpr std::size_t chunkSize = 4096;

class ControllerEmulator {
public:
    enum class State { waitingForStart, readingHeader, readingData, complete };

    // The bytes the tool sent since the last call; returns the controller's answers.
    std::vector<std::uint8_t> feed(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> feed(std::uint8_t byte) { return feed(std::span<const std::uint8_t>(&byte, 1)); }

    // Forget a download in progress and wait for a new start byte (a line that went quiet).
    // The image of the last complete download is kept.
    void reset();

    State state() const { return state_; }
    bool complete() const { return state_ == State::complete; }
    // Header and data of the last complete download (empty before the first one).
    const std::vector<std::uint8_t>& image() const { return image_; }
    // Data length the header of the current (or last) download announced.
    std::size_t dataLength() const { return dataLength_; }
    // Bytes of the current download received so far (header included).
    std::size_t received() const { return current_.size(); }
    std::size_t chunksAsked() const { return chunksAsked_; }
    std::size_t chunkTotal() const { return (dataLength_ + chunkSize - 1) / chunkSize; }
    std::size_t unexpectedBytes() const { return unexpected_; }
    int downloadsCompleted() const { return downloads_; }

    // Called with one line for every request the controller sends ("-> 0x42 chunk 3/15").
    std::function<void(const std::string&)> onRequest;

    // A faulty controller: once this many bytes of a download have come (0: at the start byte),
    // it answers 0x16, all data received, instead of its next request, and keeps no image.
    std::optional<std::size_t> earlyCompletionAfter;
    int earlyCompletions() const { return early_; }

private:
    void ask(std::uint8_t request, std::vector<std::uint8_t>& answers);
    bool endsEarly(std::vector<std::uint8_t>& answers);
    void readOutstanding(std::span<const std::uint8_t> bytes, std::size_t& i, std::vector<std::uint8_t>& answers);

    State state_ = State::waitingForStart;
    std::vector<std::uint8_t> current_;  // the download in progress: header, then data
    std::vector<std::uint8_t> image_;
    std::size_t dataLength_ = 0;
    std::size_t outstanding_ = 0;  // bytes asked for and not yet received
    std::size_t chunksAsked_ = 0;
    std::size_t unexpected_ = 0;
    int downloads_ = 0;
    int early_ = 0;
};

}  // namespace pelmora::emulator
