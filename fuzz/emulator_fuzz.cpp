// Feeds the emulated controller arbitrary byte streams, cut into arbitrary calls, and checks after
// every call that its bookkeeping stays within bounds and agrees with what it was fed: at most one
// answer per call, each answer the request its state calls for, never more bytes kept than the
// header and the data length it announced, every byte either kept or counted as unexpected, and a
// finished image made of exactly the bytes that were taken in after the start byte.
//
// The input is a list of steps; each starts with a step byte c:
//   0x00-0xEF  the next c bytes arrive in one call
//   0xF0-0xFC  a run: count:2 byte:1, `count` copies of `byte` arrive in one call (data at little cost)
//   0xFD       the start byte arrives, then in a second call a header announcing length:2
//   0xFE       reset (the line went quiet)
//   0xFF       the request report is switched on or off

#include <algorithm>
#include <optional>

#include "emulator.h"
#include "fuzz_support.h"

namespace {

using namespace pelmora::emulator;
using pelmora::fuzz::Reader;
using Bytes = std::vector<std::uint8_t>;

class Run {
public:
    void step(Reader& in) {
        const std::uint8_t c = in.u8();
        if (c <= 0xEF) {
            feed(in.bytes(c));
        } else if (c <= 0xFC) {
            const std::size_t count = in.u16();
            feed(Bytes(count, in.u8()));
        } else if (c == 0xFD) {
            const std::uint16_t length = in.u16();
            feed(Bytes{startByte});
            Bytes header(headerSize, 0);
            header[0] = static_cast<std::uint8_t>(length >> 8);
            header[1] = static_cast<std::uint8_t>(length & 0xFF);
            feed(header);
        } else if (c == 0xFE) {
            const auto imageBefore = controller_.image();
            const int downloadsBefore = controller_.downloadsCompleted();
            controller_.reset();
            FUZZ_CHECK(controller_.state() == ControllerEmulator::State::waitingForStart);
            FUZZ_CHECK(controller_.received() == 0);
            FUZZ_CHECK(controller_.image() == imageBefore);
            FUZZ_CHECK(controller_.downloadsCompleted() == downloadsBefore);
            taken_.reset();
        } else {
            if (controller_.onRequest) {
                controller_.onRequest = nullptr;
            } else {
                controller_.onRequest = [this](const std::string& line) {
                    FUZZ_CHECK(line.rfind("-> 0x", 0) == 0);
                    ++reports_;
                };
            }
        }
    }

private:
    using State = ControllerEmulator::State;

    static bool reading(State state) { return state == State::readingHeader || state == State::readingData; }

    void feed(const Bytes& bytes) {
        const State stateBefore = controller_.state();
        const std::size_t receivedBefore = controller_.received();
        const std::size_t unexpectedBefore = controller_.unexpectedBytes();
        const std::size_t chunksBefore = controller_.chunksAsked();
        const int downloadsBefore = controller_.downloadsCompleted();
        const std::size_t reportsBefore = reports_;

        const Bytes answer = controller_.feed(bytes);

        const State state = controller_.state();
        FUZZ_TRACE("  feed %zu -> answer %s, state %d, received %zu of %zu, unexpected %zu\n", bytes.size(),
                   answer.empty()      ? "none"
                   : answer[0] == 0x41 ? "0x41"
                   : answer[0] == 0x42 ? "0x42"
                                       : "0x16",
                   static_cast<int>(state), controller_.received(), headerSize + controller_.dataLength(),
                   controller_.unexpectedBytes());

        // At most one request leaves per call, and the request report tells of it when it is on.
        FUZZ_CHECK(answer.size() <= 1);
        FUZZ_CHECK(reports_ - reportsBefore == (controller_.onRequest ? answer.size() : 0));

        // Every byte fed is either taken into the download or counted as unexpected.
        std::size_t taken = 0;
        if (!answer.empty() && answer[0] == headerRequest) {
            // A start byte began a new download: what came before it in this call was noise.
            FUZZ_CHECK(!reading(stateBefore));
            FUZZ_CHECK(state == State::readingHeader && controller_.received() == 0);
            FUZZ_CHECK(controller_.chunksAsked() == 0 && controller_.dataLength() == 0);
            taken = 1;
            taken_.emplace();
        } else {
            FUZZ_CHECK(controller_.received() >= receivedBefore || !reading(stateBefore));
            if (reading(stateBefore)) {
                taken = controller_.received() - receivedBefore;
                // A download in progress takes from the front of the call.
                FUZZ_CHECK(taken_.has_value());
                taken_->insert(taken_->end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
            } else {
                FUZZ_CHECK(controller_.received() == receivedBefore && state == stateBefore);
            }
        }
        FUZZ_CHECK(taken <= bytes.size());
        FUZZ_CHECK(controller_.unexpectedBytes() - unexpectedBefore == bytes.size() - taken);

        // Never more than the header and the data it announced.
        const std::size_t whole = headerSize + controller_.dataLength();
        FUZZ_CHECK(controller_.dataLength() <= 0xFFFF);
        if (state == State::readingHeader) FUZZ_CHECK(controller_.received() < headerSize);
        if (state == State::readingData) {
            FUZZ_CHECK(controller_.received() >= headerSize && controller_.received() < whole);
            FUZZ_CHECK(controller_.chunksAsked() >= 1);
        }
        FUZZ_CHECK(controller_.chunksAsked() <= controller_.chunkTotal());
        if (taken_) FUZZ_CHECK(taken_->size() == controller_.received() || !reading(state));

        if (answer.empty()) {
            // Without an answer the request outstanding is still the same one.
            FUZZ_CHECK(state == stateBefore && controller_.chunksAsked() == chunksBefore);
        } else if (answer[0] == chunkRequest) {
            FUZZ_CHECK(state == State::readingData);
            FUZZ_CHECK(controller_.chunksAsked() == chunksBefore + 1);
            // A chunk is asked for when the header or the chunk before it is complete.
            FUZZ_CHECK((controller_.received() - headerSize) % chunkSize == 0);
            FUZZ_CHECK(controller_.received() == headerSize + (controller_.chunksAsked() - 1) * chunkSize);
        } else if (answer[0] == allReceived) {
            FUZZ_CHECK(reading(stateBefore) && state == State::complete);
            FUZZ_CHECK(controller_.downloadsCompleted() == downloadsBefore + 1);
            FUZZ_CHECK(controller_.received() == whole);
            FUZZ_CHECK(controller_.chunksAsked() == controller_.chunkTotal());
            // The image is the header and the data as they arrived, announced length and all.
            FUZZ_CHECK(taken_.has_value() && controller_.image() == *taken_);
            const auto& image = controller_.image();
            FUZZ_CHECK(image.size() >= headerSize &&
                       image.size() == headerSize + (std::size_t{image[0]} << 8 | image[1]));
        } else {
            FUZZ_CHECK(answer[0] == headerRequest);
        }
        if (!answer.empty() && answer[0] != allReceived)
            FUZZ_CHECK(controller_.downloadsCompleted() == downloadsBefore);
    }

    ControllerEmulator controller_;
    std::optional<Bytes> taken_;  // the bytes the download in progress took in, header first
    std::size_t reports_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in({data, size});
    Run run;
    for (int steps = 0; !in.empty() && steps < 512; ++steps) run.step(in);
    return 0;
}
