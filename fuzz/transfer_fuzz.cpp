// The download on two layers, each against a model of its own written here from the handshake:
//
//   tool -> controller 0x41 starts a download; controller -> tool 0x41 asks for the 38 header
//   bytes, 0x42 for the next chunk of at most 4096 pixel bytes, 0x16 says all has arrived. Only the
//   first byte of a read counts; after the last chunk the count starts over.
//
// The first byte of an input picks the layer (even: the handshake alone, odd: the session).
//
// The handshake alone: images made of fuzz bytes loaded at any time, downloads started at any
// time, and arbitrary reads; after every read the step it reports (what to write, header sent,
// chunk number, count started over, completed) and its chunk count must be the model's. Steps,
// each a step byte whose value modulo 7 picks it:
//   0 load: length:2 headerSeed:1 pixelSeed:1              4 0x42 (a chunk request)
//   1 start                                                 5 0x16 (all received)
//   2 bytes arrive: count:1 (modulo 64) bytes               6 a read of no bytes
//   3 0x41 (a header request)
//
// The session on the fake port: arbitrary interleavings of send commands, port opens and closes,
// a port that is busy or vanishes, imports, removals, colour orders, frame times and runs of bytes
// from the controller; after every step the tool must have written exactly what the controller
// asked for: the start byte on a send, the 38 header bytes on a read starting with 0x41, the next
// chunk on one starting with 0x42, each chunk being the right slice of the image that the show
// model gives for the shows at the last send. Steps, each a step byte whose value modulo 12 picks it:
//   0 send            4 bytes arrive: count:1 (modulo 64) bytes       8 colour order: order:1
//   1 port button     5 an event other than "bytes received": code:1   9 time per frame: index:1
//   2 port busy:1     6 import a show: dots:2 frames:2 sectors:1 seed:1
//   3 port lost       7 remove: entry:1                                10 a read of no bytes
//                                                                      11 0x42 (a chunk request)

#include <array>
#include <cstring>
#include <fstream>

#include "download/handshake.h"
#include "fuzz_support.h"
#include "session_harness.h"
#include "show_model.h"

namespace {

using namespace pelmora;
using namespace pelmora::testing;
using pelmora::fuzz::Reader;

Bytes asBytes(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// Bytes that differ from one 256-byte block to the next, so that a chunk taken from the wrong
// place does not look like the right one.
void fillPattern(std::uint8_t* to, std::size_t count, std::uint8_t seed) {
    for (std::size_t i = 0; i < count; ++i) to[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) * 13 + seed);
}

// ---- the handshake alone --------------------------------------------------------------------

class HandshakeRun {
public:
    void step(Reader& in) {
        switch (in.u8() % 7) {
            case 0:
                load(in);
                return;  // nothing is read, nothing is answered
            case 1:
                start();
                break;
            case 2:
                receive(in.bytes(in.u8() % 64));
                break;
            case 3:
                receive({0x41});
                break;
            case 4:
                receive({0x42});
                break;
            case 5:
                receive({0x16});
                break;
            case 6:
                receive({});
                break;
        }
        FUZZ_CHECK(handshake_.chunks() == chunks_ + (tail_ > 0 ? 1 : 0));
    }

private:
    void load(Reader& in) {
        const std::uint16_t length = in.u16();
        const std::uint8_t headerSeed = in.u8(), pixelSeed = in.u8();
        // An image as the tool builds one: a buffer of 65536 bytes, whatever the data length. A load
        // during a download keeps the count of the download, so later chunks may lie past the data.
        MemoryImage image;
        image.dataLength = length;
        fillPattern(image.sendBuffer.data(), image.sendBuffer.size(), headerSeed);
        image.imageBuffer.resize(imageBufferSize);
        fillPattern(image.imageBuffer.data(), image.imageBuffer.size(), pixelSeed);
        header_ = asBytes(image.sendBuffer);
        pixels_ = image.imageBuffer;
        length_ = length;
        const int chunksBefore = handshake_.chunks();
        handshake_.load(std::move(image));
        // Loading answers later requests from the new image but leaves the count of the download begun last.
        FUZZ_CHECK(handshake_.chunks() == chunksBefore);
    }

    void start() {
        FUZZ_CHECK(asBytes(handshake_.start()) == Bytes{0x41});
        chunks_ = length_ / 4096;
        tail_ = length_ % 4096;
        index_ = 0;
    }

    void receive(Bytes bytes) {
        Bytes write;
        bool header = false, idleAgain = false, completed = false;
        int chunk = 0;
        if (!bytes.empty()) {
            switch (bytes.front()) {
                case 0x41:
                    write = header_;
                    header = true;
                    break;
                case 0x42:
                    if (++index_ <= chunks_) {
                        write.assign(pixels_.begin() + (index_ - 1) * 4096, pixels_.begin() + index_ * 4096);
                        chunk = index_;
                    } else {
                        index_ = 0;
                        idleAgain = true;
                        if (tail_ > 0) {
                            write.assign(pixels_.begin() + chunks_ * 4096, pixels_.begin() + chunks_ * 4096 + tail_);
                            chunk = chunks_ + 1;
                        }
                    }
                    break;
                case 0x16:
                    completed = true;
                    break;
            }
        }
        const HandshakeStep step = handshake_.receive(bytes);
        FUZZ_TRACE("  read of %zu (first 0x%02x) -> write %zu, header %d, chunk %d, idle %d, completed %d\n",
                   bytes.size(), bytes.empty() ? 0 : bytes.front(), step.write.size(), step.headerSent, step.chunk,
                   step.idleAgain, step.completed);
        FUZZ_CHECK(asBytes(step.write) == write);
        FUZZ_CHECK(step.headerSent == header);
        FUZZ_CHECK(step.chunk == chunk);
        FUZZ_CHECK(step.idleAgain == idleAgain);
        FUZZ_CHECK(step.completed == completed);
    }

    Handshake handshake_;
    // Until the first load the header is 38 zero bytes and there are no pixels.
    Bytes header_ = Bytes(38, 0), pixels_;
    std::int64_t length_ = 0;                         // of the image loaded last
    std::int64_t chunks_ = 0, tail_ = 0, index_ = 0;  // of the download begun last
};

// ---- the session on the fake port -----------------------------------------------------------

class SessionRun {
public:
    SessionRun() = default;

    void step(Reader& in) {
        const std::size_t writesBefore = port_.writes.size();
        expected_.clear();
        switch (in.u8() % 12) {
            case 0:
                send();
                break;
            case 1:
                tool_.session.togglePort();
                break;
            case 2:
                port_.opens = in.u8() % 4 != 0;
                break;
            case 3:
                port_.lose();
                FUZZ_CHECK(!port_.isOpen());
                break;
            case 4:
                arrive(in.bytes(in.u8() % 64));
                break;
            case 5: {
                const int code = in.u8();
                if (port_.isOpen() && code != SerialPort::receiveEvent) port_.listener->commEvent(code);
                break;
            }
            case 6:
                importShow(in);
                break;
            case 7: {
                const std::uint8_t entry = in.u8();
                if (model_.shows.empty()) break;
                const int r = entry % static_cast<int>(model_.shows.size());
                tool_.session.removeShow(r);
                model_.shows.erase(model_.shows.begin() + r);
                break;
            }
            case 8:
                model_.order = in.u8() % 6;
                tool_.session.changeColourOrder(model_.order);
                break;
            case 9:
                model_.frameTime = in.u8() % 30 + 1;
                tool_.session.changeFrameTime(model_.frameTime - 1);
                break;
            case 10:
                arrive({});
                break;
            case 11:
                arrive({0x42});
                break;
        }
        FUZZ_TRACE("  -> port %s, shows %zu, writes %zu (sizes", port_.isOpen() ? "open" : "closed",
                   model_.shows.size(), expected_.size());
        for (const auto& w : expected_) FUZZ_TRACE(" %zu", w.size());
        FUZZ_TRACE("), chunk %lld of %lld + tail %lld, status %s\n", static_cast<long long>(chunkIndex_),
                   static_cast<long long>(chunks_), static_cast<long long>(tail_), view_.status.c_str());
        // Exactly the expected writes, in order, and nothing else.
        FUZZ_CHECK(port_.writes.size() - writesBefore == expected_.size());
        for (std::size_t i = 0; i < expected_.size(); ++i) FUZZ_CHECK(port_.writes[writesBefore + i] == expected_[i]);
        const ShowTable& table = tool_.session.table();
        FUZZ_CHECK(table.consistent());
        FUZZ_CHECK(table.showCount() == static_cast<int>(model_.shows.size()) && table.usedBytes() == model_.used());
    }

private:
    void send() {
        const auto shownBefore = messages_.shown.size();
        const bool open = port_.isOpen();
        tool_.session.send();
        if (model_.shows.empty()) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1 &&
                       messages_.shown.back().text == "请先导入文件后再发送数据。");
            return;
        }
        // The image is built before the port is looked at, so a send to a closed port rebuilds it too.
        image_ = model_.image();
        if (!open) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1);
            FUZZ_CHECK(messages_.shown.back().text ==
                       "COM1串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。");
            return;
        }
        FUZZ_CHECK(messages_.shown.size() == shownBefore);
        const auto pixels = static_cast<std::int64_t>(image_.size()) - 38;
        chunks_ = pixels / 4096;
        tail_ = pixels % 4096;
        chunkIndex_ = 0;
        expected_.push_back({0x41});
        FUZZ_CHECK(view_.status == "开始发送中......");
        FUZZ_CHECK(view_.progressMin == 0);
        FUZZ_CHECK(view_.progressMax == chunks_ + (tail_ > 0 ? 1 : 0) && view_.progressValue == 0);
        FUZZ_CHECK(view_.progressVisible);
    }

    Bytes header() const { return {image_.begin(), image_.begin() + 38}; }
    Bytes slice(std::int64_t from, std::int64_t length) const {
        // Past the pixels the controller's image holds zeros.
        Bytes out(static_cast<std::size_t>(length), 0);
        const auto have = static_cast<std::int64_t>(image_.size()) - 38;
        if (from < have)
            std::memcpy(out.data(), image_.data() + 38 + from, static_cast<std::size_t>(std::min(length, have - from)));
        return out;
    }

    void arrive(Bytes bytes) {
        // Bytes that reach a closed port are lost; the fake would keep them waiting.
        if (!port_.isOpen()) return;
        const std::string statusBefore = view_.status;
        const int progressBefore = view_.progressValue;
        const bool some = !bytes.empty();
        const std::uint8_t first = some ? bytes.front() : 0;
        port_.receive(std::move(bytes));
        FUZZ_CHECK(port_.waiting.empty());
        if (!some) return;
        if (first == 0x41) expected_.push_back(header());
        if (first == 0x42) {
            ++chunkIndex_;
            if (chunkIndex_ <= chunks_) {
                expected_.push_back(slice((chunkIndex_ - 1) * 4096, 4096));
                FUZZ_CHECK(view_.progressValue == chunkIndex_);
            } else {
                if (tail_ > 0) {
                    expected_.push_back(slice(chunks_ * 4096, tail_));
                    FUZZ_CHECK(view_.progressValue == view_.progressMax);
                }
                chunkIndex_ = 0;
            }
        } else {
            FUZZ_CHECK(view_.progressValue == progressBefore);
        }
        FUZZ_CHECK(view_.status == (first == 0x16 ? std::string("所有数据已经发送到控制器中.") : statusBefore));
    }

    // An LED file holding exactly what the show needs, imported with the show's numbers.
    void importShow(Reader& in) {
        const std::int64_t dots = in.u16() % 2048, frames = in.u16() % 512;
        std::uint8_t sectors = in.u8() % 63;
        const std::uint8_t seed = in.u8();
        const std::int64_t size = dots * 3 * frames;
        if (size == 0 || size > 60378) return;
        // Long strides only where the file stays small.
        if (512 + (frames - 1) * (sectors + 1) * 512 + dots * 3 > (1 << 18)) sectors = 0;
        Bytes file(static_cast<std::size_t>(512 + (frames - 1) * (sectors + 1) * 512 + dots * 3));
        fillPattern(file.data(), file.size(), seed);
        file[0] = static_cast<std::uint8_t>(dots * 3 & 0xFF);
        file[1] = static_cast<std::uint8_t>(dots * 3 >> 8);
        file[16] = sectors;
        const auto path = (fuzz::scratchFolder() / ("show" + std::to_string(files_++) + ".led")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

        const bool fits = model_.shows.size() < 5 && model_.used() + size <= 60378;
        const auto shownBefore = messages_.shown.size();
        FUZZ_CHECK(tool_.import(path, dots, frames) == fits);
        FUZZ_CHECK(messages_.shown.size() == shownBefore + (fits ? 0 : 1));
        if (fits) model_.shows.push_back({path, std::move(file), static_cast<int>(dots), static_cast<int>(frames)});
    }

    SessionHarness tool_;  // started up: COM1 selected, 50 ms per frame, the first colour order
    FakeMainView& view_ = tool_.view;
    FakeMessageBox& messages_ = tool_.messages;
    FakeSerialPort& port_ = tool_.port;
    ShowModel model_;
    int files_ = 0;

    Bytes image_ = Bytes(38, 0);  // the controller's image at the last send that built one; before it a zero header
    std::int64_t chunks_ = 0, tail_ = 0, chunkIndex_ = 0;
    std::vector<Bytes> expected_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in({data, size});
    if (in.u8() % 2 == 0) {
        HandshakeRun run;
        for (int steps = 0; !in.empty() && steps < 256; ++steps) run.step(in);
    } else {
        pelmora::fuzz::emptyScratchFolder();
        SessionRun run;
        for (int steps = 0; !in.empty() && steps < 256; ++steps) run.step(in);
    }
    return 0;
}
