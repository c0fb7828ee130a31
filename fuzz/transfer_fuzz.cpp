// Drives the download with arbitrary interleavings of send commands, port opens and closes, a
// port that is busy or vanishes, changes of the show table and runs of bytes from the controller,
// and checks after every step that the tool wrote exactly what the controller asked for: the start
// byte on a send, the 38 header bytes on a read starting with 0x41, the next chunk on one starting
// with 0x42, each chunk being the right slice of the image built at the last send.
//
// The input is a list of steps; each starts with a step byte (its value modulo 12 picks the step):
//   0 send            4 bytes arrive: count:1 (modulo 64) bytes       8 reorder: order:1
//   1 port button     5 an event other than "bytes received": code:1   9 time per frame: index:1
//   2 port busy:1     6 add a show: dots:2 frames:2 sectors:1 order:1 seed:1
//   3 port lost       7 remove: entry:1                                10 a read of no bytes
//                                                                      11 0x42 (a chunk request)

#include <array>
#include <cstring>

#include "download/port_control.h"
#include "download/transfer.h"
#include "fakes.h"
#include "fuzz_support.h"

namespace {

using namespace pelmora;
using namespace pelmora::testing;
using pelmora::fuzz::Reader;
using Bytes = std::vector<std::uint8_t>;

// What the controller's memory image must be for a table, worked out from the format.
struct Image {
    Bytes header = Bytes(38, 0);
    Bytes pixels;
};

void put16(Bytes& to, std::size_t at, std::int64_t value) {
    to[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    to[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

Image imageOf(const ShowTable& table, int timeIndex) {
    Image image;
    std::int64_t address = 38;
    for (int s = 1; s <= table.showCount(); ++s) {
        const auto pixels = table.showPixels(s);
        const std::size_t record = 4 + 6 * static_cast<std::size_t>(s - 1);
        put16(image.header, record, table.showFrameBytes(s));
        put16(image.header, record + 2, table.showFrames(s));
        put16(image.header, record + 4, address);
        address += static_cast<std::int64_t>(pixels.size());
        image.pixels.insert(image.pixels.end(), pixels.begin(), pixels.end());
    }
    put16(image.header, 0, static_cast<std::int64_t>(image.pixels.size()));
    image.header[2] = static_cast<std::uint8_t>(table.showCount());
    image.header[3] = static_cast<std::uint8_t>(timeIndex + 1);
    return image;
}

// One table for the whole fuzzing run, emptied for every input: allocating its 300 KB store anew
// for each input would cost more than the input itself. Bytes beyond a show's size are never read,
// so what an earlier input left there does not matter.
ShowTable& emptiedTable() {
    static ShowTable table;
    while (table.showCount() > 0) table.remove(0);
    return table;
}

class Run : private SerialPort::Listener {
public:
    Run() : table_(emptiedTable()), transfer_(port_, view_, messages_), portControl_(port_, view_, messages_) {
        port_.setListener(this);
        view_.portSelected = 0;
        view_.timeSelected = 4;
    }
    ~Run() override { port_.setListener(nullptr); }

    void step(Reader& in) {
        const std::size_t writesBefore = port_.writes.size();
        expected_.clear();
        switch (in.u8() % 12) {
            case 0:
                send();
                break;
            case 1:
                portControl_.toggle();
                break;
            case 2:
                port_.opens = in.u8() % 4 != 0;
                break;
            case 3:
                port_.lose();
                break;
            case 4:
                arrive(in.bytes(in.u8() % 64));
                break;
            case 5: {
                const int code = in.u8();
                if (port_.isOpen() && code != SerialPort::receiveEvent) transfer_.receive(code);
                break;
            }
            case 6:
                addShow(in);
                break;
            case 7: {
                const std::uint8_t entry = in.u8();
                if (table_.showCount() > 0) table_.remove(entry % table_.showCount());
                break;
            }
            case 8: {
                const std::uint8_t order = in.u8();
                for (int s = 1; s <= table_.showCount(); ++s) table_.reorder(s, order % 6);
                break;
            }
            case 9:
                view_.timeSelected = in.u8() % 30;
                break;
            case 10:
                arrive({});
                break;
            case 11:
                arrive({0x42});
                break;
        }
        FUZZ_TRACE("  -> port %s, shows %d, writes %zu (sizes", port_.isOpen() ? "open" : "closed", table_.showCount(),
                   expected_.size());
        for (const auto& w : expected_) FUZZ_TRACE(" %zu", w.size());
        FUZZ_TRACE("), chunk %lld of %lld + tail %lld, status %s\n", static_cast<long long>(chunkIndex_),
                   static_cast<long long>(chunks_), static_cast<long long>(tail_), view_.status().c_str());
        // Exactly the expected writes, in order, and nothing else.
        FUZZ_CHECK(port_.writes.size() - writesBefore == expected_.size());
        for (std::size_t i = 0; i < expected_.size(); ++i) FUZZ_CHECK(port_.writes[writesBefore + i] == expected_[i]);
        FUZZ_CHECK(table_.consistent());
        FUZZ_CHECK(transfer_.chunkIndex() == chunkIndex_);
    }

private:
    void commEvent(int code) override { transfer_.receive(code); }
    void portLost() override { portControl_.portLost(); }

    void send() {
        const auto shownBefore = messages_.shown.size();
        const bool open = port_.isOpen();
        transfer_.send(table_);
        if (table_.showCount() == 0) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1 && messages_.shown.back().text == noShowsText);
            return;
        }
        // The image is built before the port is looked at, so a send to a closed port rebuilds it too.
        image_ = imageOf(table_, view_.timeSelected);
        if (!open) {
            FUZZ_CHECK(messages_.shown.size() == shownBefore + 1);
            FUZZ_CHECK(messages_.shown.back().text == std::string("COM1") + portNotOpenText);
            return;
        }
        FUZZ_CHECK(messages_.shown.size() == shownBefore);
        FUZZ_CHECK(std::equal(transfer_.sendBuffer().begin(), transfer_.sendBuffer().end(), image_.header.begin()));
        chunks_ = static_cast<std::int64_t>(image_.pixels.size()) / 4096;
        tail_ = static_cast<std::int64_t>(image_.pixels.size()) % 4096;
        chunkIndex_ = 0;
        expected_.push_back({0x41});
        FUZZ_CHECK(view_.status() == sendingText);
        FUZZ_CHECK(view_.progressMax == chunks_ + (tail_ > 0 ? 1 : 0) && view_.progressValue == 0);
        FUZZ_CHECK(view_.progressVisible);
    }

    Bytes slice(std::int64_t from, std::int64_t length) const {
        // Past the pixels the image holds zeros up to its 65536 bytes.
        Bytes out(static_cast<std::size_t>(length), 0);
        const auto have = static_cast<std::int64_t>(image_.pixels.size());
        if (from < have)
            std::memcpy(out.data(), image_.pixels.data() + from,
                        static_cast<std::size_t>(std::min(length, have - from)));
        return out;
    }

    void arrive(Bytes bytes) {
        // Bytes that reach a closed port are lost; the fake would keep them waiting.
        if (!port_.isOpen()) return;
        const std::string statusBefore = view_.status();
        const int progressBefore = view_.progressValue;
        const bool some = !bytes.empty();
        const std::uint8_t first = some ? bytes.front() : 0;
        port_.receive(std::move(bytes));
        FUZZ_CHECK(port_.waiting.empty());
        if (!some) return;
        if (first == 0x41) expected_.push_back(image_.header);
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
        FUZZ_CHECK(view_.status() == (first == 0x16 ? std::string(sentText) : statusBefore));
    }

    void addShow(Reader& in) {
        const std::int64_t dots = in.u16() % 2048, frames = in.u16() % 512;
        std::uint8_t sectors = in.u8() % 63;
        const std::uint8_t order = in.u8(), seed = in.u8();
        const std::int64_t size = dots * 3 * frames;
        if (size == 0 || size > 60378) return;
        // The file holds exactly what the show needs; long strides only where that stays small.
        if (512 + (frames - 1) * (sectors + 1) * 512 + dots * 3 > (1 << 18)) sectors = 0;
        Bytes file(static_cast<std::size_t>(512 + (frames - 1) * (sectors + 1) * 512 + dots * 3));
        std::array<std::uint8_t, 256> pattern;
        for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 13 + seed);
        for (std::size_t at = 0; at < file.size(); at += pattern.size())
            std::memcpy(file.data() + at, pattern.data(), std::min(pattern.size(), file.size() - at));
        file[16] = sectors;
        const int before = table_.showCount();
        const auto result = table_.append(dots, frames, file, order % 6);
        FUZZ_CHECK((result == ShowTable::AppendResult::added) == (table_.showCount() == before + 1));
    }

    FakeMainView view_;
    FakeMessageBox messages_;
    FakeSerialPort port_;
    ShowTable& table_;
    Transfer transfer_;
    PortControl portControl_;

    Image image_;  // the image of the last send that built one
    std::int64_t chunks_ = 0, tail_ = 0, chunkIndex_ = 0;
    std::vector<Bytes> expected_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in({data, size});
    Run run;
    for (int steps = 0; !in.empty() && steps < 256; ++steps) run.step(in);
    return 0;
}
