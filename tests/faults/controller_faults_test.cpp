// A controller that misbehaves, played by the test on the master side of a pseudo-terminal pair
// while the tool runs its real Qt serial port on the slave side: it goes silent after the start
// byte, floods random bytes at full speed, asks for more chunks than there are, or says 0x16 too
// early. After each, the shows are as imported and a normal download brings the right image.

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "event_loop.h"
#include "fault_support.h"
#include "led_builder.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "pty_pair.h"
#include "session/session.h"
#include "session/texts.h"
#include "session_harness.h"

namespace pelmora::testing {
namespace {

// Resident memory of this process right now, in KiB.
long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The Qt serial port as the session uses it, counting what the session reads and writes through
// it: what the flood test holds the bytes on the line against. Nothing is kept but counts, so
// that the flood's memory figure stays the tool's own.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner) : inner_(inner) {}

    void setListener(Listener* listener) override { inner_.setListener(listener); }
    void setPortNumber(int number) override { inner_.setPortNumber(number); }
    void setSettings(const LineSettings& settings) override { inner_.setSettings(settings); }
    void setRawMode(bool raw) override { inner_.setRawMode(raw); }
    void setOutBufferSize(int bytes) override { inner_.setOutBufferSize(bytes); }
    void setInBufferSize(int bytes) override { inner_.setInBufferSize(bytes); }
    PortOpenResult open() override { return inner_.open(); }
    void setReadLength(int bytes) override { inner_.setReadLength(bytes); }
    void setReceiveThreshold(int bytes) override { inner_.setReceiveThreshold(bytes); }
    void setSendThreshold(int bytes) override { inner_.setSendThreshold(bytes); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool write(std::span<const std::uint8_t> bytes) override {
        ++counts.writes;
        counts.writtenBytes += bytes.size();
        return inner_.write(bytes);
    }
    std::vector<std::uint8_t> readAll() override {
        std::vector<std::uint8_t> bytes = inner_.readAll();
        ++counts.reads;
        counts.readBytes += bytes.size();
        if (!bytes.empty() && (bytes.front() == 0x41 || bytes.front() == 0x42)) ++counts.readsBeginningWithARequest;
        return bytes;
    }

    struct Counts {
        std::size_t reads = 0, readBytes = 0, readsBeginningWithARequest = 0;
        std::size_t writes = 0, writtenBytes = 0;
    };
    Counts counts;

private:
    SerialPort& inner_;
};

// A session on the fake message box, file dialog and windows, and on the real Qt serial port
// whose COM1 is the pty's slave side in the device folder; the port is open.
class ControllerFaults : public ::testing::Test, protected FakePlatform {
protected:
    void SetUp() override {
        std::filesystem::create_symlink(line.slavePath(), devices.path() / "ttyUSB0");
        session.startUp();
        session.togglePort();
        ASSERT_TRUE(serial.isOpen());
        ASSERT_TRUE(messages.shown.empty());
    }

    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void import(const std::string& name, const LedFileSpec& led, int dots, int frames) {
        const Bytes file = makeLedFile(led);
        const auto path = folder.write(name, file);
        ASSERT_TRUE(importShow(session, files, view, path, dots, frames));
        ASSERT_TRUE(messages.shown.empty()) << messages.shown.back().text;
        shows.push_back({path, file, dots, frames});
    }

    // 1000 dots of 15 frames and 100 dots of 10: 48000 bytes, eleven chunks and a tail of 2944.
    void importTwoShows() {
        import("wide.led", {.dots = 1000, .frames = 15, .sectorsMinusOne = 5}, 1000, 15);
        import("narrow.led", {.dots = 110, .frames = 10}, 100, 10);
    }

    // What the tool writes, as the controller reads it: `count` bytes (and whatever came with them).
    Bytes fromTool(std::size_t count) {
        Bytes got;
        runUntil([&] {
            const Bytes more = line.take();
            got.insert(got.end(), more.begin(), more.end());
            return got.size() >= count;
        });
        return got;
    }
    // Nothing more arrives while the tool has every chance to write.
    bool toolStaysQuiet() {
        spin(40);
        return line.take().empty();
    }
    Bytes ask(std::uint8_t request, std::size_t answerSize) {
        line.send({request});
        return fromTool(answerSize);
    }

    Bytes header() const {
        const Bytes image = expected();
        return Bytes(image.begin(), image.begin() + 38);
    }
    Bytes expected() const { return expectedImage(shows, view.colourSelected, view.timeSelected + 1); }
    // Chunk n (from 1) of the current image; the last one may be the tail.
    Bytes chunk(std::size_t n) const {
        const Bytes image = expected();
        const std::size_t from = 38 + (n - 1) * 4096, to = std::min(image.size(), from + 4096);
        return Bytes(image.begin() + static_cast<std::ptrdiff_t>(from),
                     image.begin() + static_cast<std::ptrdiff_t>(to));
    }

    // Everything loaded is as imported, and a download with a well-behaved controller delivers it.
    void expectNothingLost() {
        expectShowsAsImported(session.table(), view.entries, shows, view.colourSelected);
        if (!serial.isOpen()) session.togglePort();
        ASSERT_TRUE(serial.isOpen());
        line.take();  // a fresh controller: what an earlier one left unread is gone
        emulator::ControllerEmulator controller;
        session.send();
        const bool done = runUntil([&] {
            const Bytes sent = line.take();
            if (!sent.empty()) {
                const Bytes answers = controller.feed(sent);
                if (!answers.empty()) line.send(answers);
            }
            return controller.complete() && view.status == texts::sent;
        });
        ASSERT_TRUE(done) << "the controller has " << controller.received() << " bytes";
        EXPECT_EQ(controller.image(), expected());
        EXPECT_TRUE(toolStaysQuiet());
        EXPECT_EQ(view.progressValue, view.progressMax);
    }

    Pty line;
    TempDir folder, devices;
    FakeMainView view;
    PosixPortDirectory deviceFolder{devices.path().string()};
    QtSerialPort serial{deviceFolder};
    CountingPort counted{serial};
    Session session{view, Platform{messages, files, web, counted, ports}, folder.path().string()};
    std::vector<KnownShow> shows;
};

TEST_F(ControllerFaults, SilentAfterTheStartByteTheToolWaitsAndTheUserCanSendAgainOrClose) {
    importTwoShows();
    session.send();
    EXPECT_EQ(fromTool(1), Bytes{0x41});
    EXPECT_TRUE(toolStaysQuiet());
    EXPECT_EQ(view.status, "开始发送中......");
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_TRUE(view.progressVisible);

    // The user sends again: a new start byte, and again the tool waits.
    session.send();
    EXPECT_EQ(fromTool(1), Bytes{0x41});
    EXPECT_TRUE(toolStaysQuiet());
    EXPECT_EQ(view.status, "开始发送中......");

    // The user closes the port: closed at once, the lamp off, no message.
    session.togglePort();
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(view.lamp, lampOff);
    EXPECT_EQ(view.portButton, texts::openPort);
    EXPECT_TRUE(messages.shown.empty());

    expectNothingLost();
}

TEST_F(ControllerFaults, MoreChunkRequestsThanChunksStartOverAtTheFirstChunk) {
    importTwoShows();
    session.send();
    ASSERT_EQ(fromTool(1), Bytes{0x41});
    EXPECT_EQ(ask(0x41, 38), header());
    EXPECT_EQ(view.progressMax, 12);
    for (std::size_t n = 1; n <= 12; ++n) {
        EXPECT_EQ(ask(0x42, n < 12 ? 4096 : 2944), chunk(n)) << "chunk " << n;
        EXPECT_EQ(view.progressValue, static_cast<int>(n));
    }
    // Past the tail the count has gone back to 0: the next requests get chunk 1, 2, 3 again.
    for (std::size_t n = 1; n <= 3; ++n) {
        EXPECT_EQ(ask(0x42, 4096), chunk(n)) << "chunk " << n << " again";
        EXPECT_EQ(view.progressValue, static_cast<int>(n));
    }
    EXPECT_TRUE(toolStaysQuiet());
    line.send({0x16});
    ASSERT_TRUE(runUntil([&] { return view.status == texts::sent; }));
    expectNothingLost();
}

TEST_F(ControllerFaults, MoreChunkRequestsThanWholeChunksGetNothingThenTheFirstChunk) {
    // 1024 dots of 8 frames: 24576 bytes, six whole chunks and no tail.
    import("whole.led", {.dots = 1024, .frames = 8, .sectorsMinusOne = 5}, 1024, 8);
    session.send();
    ASSERT_EQ(fromTool(1), Bytes{0x41});
    EXPECT_EQ(ask(0x41, 38), header());
    for (std::size_t n = 1; n <= 6; ++n) EXPECT_EQ(ask(0x42, 4096), chunk(n)) << "chunk " << n;
    line.send({0x42});
    EXPECT_TRUE(toolStaysQuiet()) << "a seventh request has no chunk to get";
    EXPECT_EQ(view.progressValue, 6);
    EXPECT_EQ(ask(0x42, 4096), chunk(1));
    expectNothingLost();
}

TEST_F(ControllerFaults, AnEarly0x16ReportsCompletionAndTheTransferGoesOnWhereItWas) {
    importTwoShows();
    session.send();
    ASSERT_EQ(fromTool(1), Bytes{0x41});
    line.send({0x16});
    ASSERT_TRUE(runUntil([&] { return view.status == texts::sent; }));
    EXPECT_TRUE(toolStaysQuiet());
    EXPECT_EQ(view.progressValue, 0);

    EXPECT_EQ(ask(0x41, 38), header());
    EXPECT_EQ(ask(0x42, 4096), chunk(1));
    line.send({0x16});
    EXPECT_TRUE(toolStaysQuiet());
    EXPECT_EQ(view.progressValue, 1);
    EXPECT_EQ(ask(0x42, 4096), chunk(2)) << "the 0x16 did not touch the count";
    expectNothingLost();
}

// Reads what the tool writes back, on its own thread, while the flood goes the other way.
class Drain {
public:
    explicit Drain(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~Drain() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    Bytes taken() {
        std::lock_guard lock(mutex_);
        return taken_;
    }
    std::size_t size() {
        std::lock_guard lock(mutex_);
        return taken_.size();
    }

private:
    void run() {
        std::uint8_t buffer[8192];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) continue;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) continue;
            std::lock_guard lock(mutex_);
            taken_.insert(taken_.end(), buffer, buffer + n);
        }
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Bytes taken_;
    std::thread thread_;
};

// What a flood left behind.
struct Flood {
    Bytes written;  // everything the tool wrote meanwhile, as the controller read it
    std::size_t bytes = 0, requestBytes = 0;
    // What the session read and wrote through the port meanwhile.
    std::size_t readBytes = 0, readsBeginningWithARequest = 0, writes = 0, writtenBytes = 0;
    int ticks = 0;  // of a 20 ms timer of the tool while the flood lasted
    bool clickedDuringFlood = false;
    bool settled = false;  // the tool read the whole flood and the controller took all it wrote
    long residentGrowthKiB = 0;
    qint64 mostWaitingToRead = 0, mostWaitingToWrite = 0;
    // The most that ever waited to be written beyond what the tool had written and the controller
    // not yet taken; 0 when the port holds nothing but the tool's own answers.
    qint64 mostWaitingBeyondAnswers = 0;
};

class ControllerFlood : public ControllerFaults {
protected:
    // Random bytes (without 0x41 and 0x42 unless `withRequests`) as fast as the line takes them,
    // for `seconds` and until the user's click on the send button one second in has been handled;
    // only a loop that never gets to the click ends the flood without it, after 30 seconds. Then
    // the event loop turns until the tool has read every byte of the flood and the controller
    // has taken every byte the tool wrote: how long that takes does not matter.
    Flood flood(int seconds, bool withRequests) {
        Flood result;
        const CountingPort::Counts before = counted.counts;
        Drain drain(line.master());
        std::atomic<bool> flooding{true}, clicked{false};
        std::atomic<std::size_t> floodBytes{0}, requestBytes{0};
        std::thread writer([&] {
            std::mt19937 random(20240611);
            std::uint8_t buffer[1024];
            const auto start = std::chrono::steady_clock::now();
            auto goOn = [&] {
                const auto elapsed = std::chrono::steady_clock::now() - start;
                return elapsed < std::chrono::seconds(30) && (elapsed < std::chrono::seconds(seconds) || !clicked);
            };
            while (goOn()) {
                for (auto& b : buffer) {
                    b = static_cast<std::uint8_t>(random());
                    if (!withRequests && (b == 0x41 || b == 0x42)) b = 0x43;
                }
                std::size_t at = 0;
                while (at < sizeof buffer && goOn()) {
                    const ssize_t n = ::write(line.master(), buffer + at, sizeof buffer - at);
                    if (n <= 0) {
                        pollfd p{line.master(), POLLOUT, 0};
                        ::poll(&p, 1, 5);
                        continue;
                    }
                    for (ssize_t i = 0; i < n; ++i)
                        if (buffer[at + i] == 0x41 || buffer[at + i] == 0x42) ++requestBytes;
                    at += static_cast<std::size_t>(n);
                    floodBytes += static_cast<std::size_t>(n);
                }
            }
            flooding = false;
        });

        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++result.ticks; });
        timer.start(20);
        QTimer::singleShot(1000, &timer, [&] {
            result.clickedDuringFlood = flooding;
            session.send();
            clicked = true;
        });
        const long residentBefore = residentKiB();
        long residentMost = residentBefore;
        auto sample = [&] {
            residentMost = std::max(residentMost, residentKiB());
            const auto taken = static_cast<qint64>(drain.size());  // before the port is looked at
            const qint64 waiting = serial.port().bytesToWrite();
            const auto written = static_cast<qint64>(counted.counts.writtenBytes - before.writtenBytes);
            result.mostWaitingToWrite = std::max(result.mostWaitingToWrite, waiting);
            result.mostWaitingBeyondAnswers = std::max(result.mostWaitingBeyondAnswers, waiting - (written - taken));
            result.mostWaitingToRead = std::max(result.mostWaitingToRead, serial.port().bytesAvailable());
        };
        while (flooding) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            sample();
        }
        writer.join();
        timer.stop();
        // Let the tool read the rest of the flood and the last answers out.
        result.settled = runUntil(
            [&] {
                return counted.counts.readBytes - before.readBytes == floodBytes && serial.port().bytesToWrite() == 0 &&
                       drain.size() == counted.counts.writtenBytes - before.writtenBytes;
            },
            60000, sample);
        drain.stop();

        result.written = drain.taken();
        result.bytes = floodBytes;
        result.requestBytes = requestBytes;
        result.readBytes = counted.counts.readBytes - before.readBytes;
        result.readsBeginningWithARequest =
            counted.counts.readsBeginningWithARequest - before.readsBeginningWithARequest;
        result.writes = counted.counts.writes - before.writes;
        result.writtenBytes = counted.counts.writtenBytes - before.writtenBytes;
        result.residentGrowthKiB = residentMost - residentBefore;
        RecordProperty("flood_bytes", static_cast<int>(result.bytes));
        RecordProperty("reads_beginning_with_a_request", static_cast<int>(result.readsBeginningWithARequest));
        RecordProperty("timer_ticks_during_flood", result.ticks);
        RecordProperty("most_waiting_to_write", static_cast<int>(result.mostWaitingToWrite));
        RecordProperty("resident_growth_kib", static_cast<int>(result.residentGrowthKiB));
        return result;
    }

    // The tool took the flood in its stride: the click was handled while it lasted, the timer kept
    // firing, the tool read every byte of it, and what waits in the port stays within its buffers
    // (to be read: Qt's 1 KiB; to be written: only answers the controller has not taken yet) while
    // the process does not grow with the flood (the sanitizers' own bookkeeping of freed blocks
    // takes up to 256 MiB more).
    void expectResponsiveAndBounded(const Flood& flood) {
        EXPECT_GT(flood.bytes, 0u);
        EXPECT_TRUE(flood.clickedDuringFlood) << "the click was handled only after the flood";
        EXPECT_GT(flood.ticks, 0);
        EXPECT_TRUE(flood.settled) << "the tool read " << flood.readBytes << " of " << flood.bytes
                                   << " bytes; the controller took " << flood.written.size() << " of "
                                   << flood.writtenBytes;
        EXPECT_EQ(flood.readBytes, flood.bytes) << "every byte of the flood was read, none twice";
        EXPECT_LE(flood.mostWaitingToRead, 1024);
        EXPECT_LE(flood.mostWaitingBeyondAnswers, 0);
#if defined(__SANITIZE_ADDRESS__)
        const long allowedGrowthKiB = (256 + 64) * 1024;
#else
        const long allowedGrowthKiB = 64 * 1024;
#endif
        EXPECT_LT(flood.residentGrowthKiB, allowedGrowthKiB) << "resident memory grew by " << flood.residentGrowthKiB
                                                             << " KiB during a flood of " << flood.bytes << " bytes";
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(serial.isOpen());
    }
};

TEST_F(ControllerFlood, BytesThatAreNoRequestsGetNoAnswerAndTheToolStaysResponsive) {
    importTwoShows();
    session.send();
    ASSERT_EQ(fromTool(1), Bytes{0x41});

    const Flood result = flood(2, false);
    EXPECT_EQ(result.requestBytes, 0u);
    EXPECT_EQ(result.readsBeginningWithARequest, 0u);
    // The one byte written is the start byte of the user's click.
    EXPECT_EQ(result.written, Bytes{0x41});
    expectResponsiveAndBounded(result);
    expectNothingLost();
}

// How many reads of the tool begin with a request depends on how the flood happens to be cut
// into reads, so that number is taken from the port and not assumed: each such read gets exactly
// one answer, no other read gets any, and every answer is the header or the next chunk in turn.
TEST_F(ControllerFlood, RandomBytesGetOnlyTheirRequestsAnsweredAndTheToolStaysResponsive) {
    importTwoShows();
    session.send();
    ASSERT_EQ(fromTool(1), Bytes{0x41});

    const Flood result = flood(3, true);
    // Everything the tool wrote is an answer: the header, the next chunk in turn (back to chunk 1
    // after the tail, and after the second start byte), or that start byte itself.
    const Bytes& written = result.written;
    const Bytes head = header();
    std::size_t at = 0, next = 1, answers = 0, starts = 0;
    auto matches = [&](const Bytes& item) {
        return at + item.size() <= written.size() &&
               std::equal(item.begin(), item.end(), written.begin() + static_cast<std::ptrdiff_t>(at));
    };
    while (at < written.size()) {
        if (const Bytes c = chunk(next); matches(c)) {
            at += c.size(), ++answers;
            next = next == 12 ? 1 : next + 1;
        } else if (matches(head)) {
            at += head.size(), ++answers;
        } else if (starts == 0 && written[at] == 0x41) {
            ++at, ++starts, next = 1;
        } else {
            break;
        }
    }
    RecordProperty("answers", static_cast<int>(answers));
    EXPECT_EQ(at, written.size()) << "byte " << at << " of " << written.size()
                                  << " written is neither a header, the next chunk nor a start byte";
    EXPECT_EQ(written.size(), result.writtenBytes) << "the line carried what the tool wrote, all of it";
    EXPECT_EQ(starts, 1u);
    EXPECT_EQ(answers + starts, result.writes) << "each write is one whole answer or the start byte";
    EXPECT_EQ(answers, result.readsBeginningWithARequest) << "one answer for each read that began with a request";
    EXPECT_LE(answers, result.requestBytes) << "more answers than requests";
    expectResponsiveAndBounded(result);
    expectNothingLost();
}

}  // namespace
}  // namespace pelmora::testing
