// Files that change behind the tool's back, and files that are no LED files at all: a show's file
// deleted, cut short, replaced by a folder, a FIFO, a device or a huge sparse file, or made
// unreadable, between the open command and OK or between an import and a colour-order change; a
// FIFO or a device chosen as the LED file; a file past 2 GiB. After each fault the table keeps its
// rules, no show loses a byte, and the next download brings the controller the right image.

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "fault_support.h"
#include "led_builder.h"
#include "session_harness.h"

namespace pelmora::testing {
namespace {

namespace fs = std::filesystem;

// Takes from a root process the right to read and search any file whatever its mode, for as long as
// it lives, so that a file of mode 000 is unreadable to it as to anyone else. available() is false
// when that right cannot be dropped (or given back) here.
class WithoutReadingAnyFile {
public:
    WithoutReadingAnyFile() {
        if (::geteuid() != 0) return;  // an ordinary user never had it
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutReadingAnyFile() {
        if (dropped_) ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutReadingAnyFile(const WithoutReadingAnyFile&) = delete;
    WithoutReadingAnyFile& operator=(const WithoutReadingAnyFile&) = delete;

    bool available() const { return ::geteuid() != 0 || dropped_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

enum class Fault { deleted, truncated, folder, unreadable, fifo, device, hugeSparse };

const char* faultName(Fault fault) {
    switch (fault) {
        case Fault::deleted:
            return "deleted";
        case Fault::truncated:
            return "truncated";
        case Fault::folder:
            return "replacedByAFolder";
        case Fault::unreadable:
            return "madeUnreadable";
        case Fault::fifo:
            return "replacedByAFifo";
        case Fault::device:
            return "replacedByADevice";
        case Fault::hugeSparse:
            return "grownPast2GiB";
    }
    return "?";
}

void PrintTo(Fault fault, std::ostream* out) { *out << faultName(fault); }

constexpr std::int64_t past2GiB = (std::int64_t{1} << 31) + 4096;

// A sparse file past 2 GiB whose first bytes are a good LED header: nothing but its length is wrong.
void writeHugeSparseFile(const std::string& path, const Bytes& start) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, start.data(), start.size()), static_cast<ssize_t>(start.size()));
    ASSERT_EQ(::ftruncate(fd, past2GiB), 0);
    ::close(fd);
}

// The resident memory the process has needed at most so far, in KiB.
long peakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

constexpr const char* wrongFileMessage = "你没有打开任何文件或找开了错误的文件!";

// The session is started up by the harness; every test begins with COM1 open.
class FileFaults : public ::testing::Test, protected SessionHarness {
protected:
    void SetUp() override {
        port.opens = true;
        openPort();
        ASSERT_TRUE(port.isOpen());
    }

    std::string writeLed(const std::string& name, const LedFileSpec& led) { return dir.write(name, makeLedFile(led)); }

    // Open, leave the preset numbers or type others, OK; the show is added and known.
    void import(const std::string& path, int dots, int frames) {
        const auto before = messages.shown.size();
        ASSERT_TRUE(SessionHarness::import(path, dots, frames)) << path;
        ASSERT_EQ(messages.shown.size(), before) << messages.shown.back().text;
        shows.push_back({path, readBytes(path), dots, frames});
    }

    // A file's bytes as the test reads them, not through the tool's own reading.
    static Bytes readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in.is_open()) << path;
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void selectColourOrder(int order) { session.changeColourOrder(order); }

    // Does the fault to the file at `path`. False when this fault cannot be made here.
    bool damage(const std::string& path, Fault fault) {
        std::error_code ignored;
        switch (fault) {
            case Fault::deleted:
                fs::remove(path);
                return true;
            case Fault::truncated:
                fs::resize_file(path, 600);
                return true;  // the header and a part of frame 0
            case Fault::folder:
                fs::remove(path);
                fs::create_directory(path);
                return true;
            case Fault::unreadable: {
                fs::permissions(path, fs::perms::none);
                unreadable_.emplace();
                const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
                return unreadable_->available() && fd < 0;
            }
            case Fault::fifo:
                fs::remove(path);
                return ::mkfifo(path.c_str(), 0600) == 0;
            case Fault::device:
                fs::remove(path);
                fs::create_symlink("/dev/zero", path);
                return true;
            case Fault::hugeSparse: {
                const Bytes start = readBytes(path);
                writeHugeSparseFile(path, start);
                return fs::file_size(path) == static_cast<std::uintmax_t>(past2GiB);
            }
        }
        return false;
    }

    // Everything loaded is as imported, and a whole download brings the controller exactly that.
    void expectNothingLost(int order) {
        expectShowsAsImported(session.table(), view.entries, shows, order);
        emulator::ControllerEmulator controller;
        std::size_t taken = port.writes.size();
        const auto before = messages.shown.size();
        session.send();
        ASSERT_EQ(messages.shown.size(), before) << messages.shown.back().text;
        playController(port, controller, taken);
        ASSERT_TRUE(controller.complete());
        EXPECT_EQ(controller.image(), expectedImage(shows, order, view.timeSelected + 1));
        EXPECT_EQ(controller.unexpectedBytes(), 0u);
        EXPECT_EQ(view.status, "所有数据已经发送到控制器中.");
    }

    TempDir dir;
    std::vector<KnownShow> shows;
    std::optional<WithoutReadingAnyFile> unreadable_;
};

const char* cannotMake(Fault fault) {
    return fault == Fault::unreadable
               ? "running as root with the right to read any file, which cannot be dropped here: no file can be "
                 "made unreadable to this process"
               : "this fault cannot be made on this system";
}

class FileFaultBetweenOpenAndOk : public FileFaults, public ::testing::WithParamInterface<Fault> {};

TEST_P(FileFaultBetweenOpenAndOk, OkAddsTheShowFromTheBytesReadAtOpen) {
    import(writeLed("first.led", {.dots = 30, .frames = 4, .sectorsMinusOne = 1}), 30, 4);
    const auto path = writeLed("second.led", {.dots = 100, .frames = 10});
    const Bytes content = readBytes(path);
    files.choose(path);
    session.openLedFile();
    ASSERT_TRUE(view.input()->shown);
    EXPECT_EQ(view.input()->dots, "100");

    if (!damage(path, GetParam())) GTEST_SKIP() << cannotMake(GetParam());
    testing::typeNumber(session, view, NumberField::dots, "90");
    session.appendShow();
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.back().text;
    EXPECT_FALSE(view.input()->shown);
    shows.push_back({path, content, 90, 10});

    expectNothingLost(0);
    // A colour order now has to take the second show from its own bytes; it still loses nothing.
    selectColourOrder(4);
    expectNothingLost(4);
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaultBetweenOpenAndOk,
                         ::testing::Values(Fault::deleted, Fault::truncated, Fault::folder, Fault::unreadable,
                                           Fault::fifo),
                         [](const auto& info) { return faultName(info.param); });

class FileFaultBetweenImportAndColourOrder : public FileFaults, public ::testing::WithParamInterface<Fault> {};

TEST_P(FileFaultBetweenImportAndColourOrder, TheShowIsRebuiltFromItsOwnBytesAndTheOthersFromTheirFiles) {
    import(writeLed("a.led", {.dots = 50, .frames = 6, .sectorsMinusOne = 2}), 50, 6);
    import(writeLed("b.led", {.dots = 120, .frames = 8}), 110, 8);
    import(writeLed("c.led", {.dots = 7, .frames = 30}), 7, 29);
    selectColourOrder(2);
    expectNothingLost(2);

    if (!damage(shows[1].path, GetParam())) GTEST_SKIP() << cannotMake(GetParam());
    // The order that the damaged show's bytes are in is not the file's: through two orders and back.
    for (int order : {5, 3, 0}) {
        SCOPED_TRACE(order);
        selectColourOrder(order);
        EXPECT_EQ(view.selected, 2) << "the selection rests on the last show";
        EXPECT_TRUE(messages.shown.empty());
        expectNothingLost(order);
    }

    // The table takes further shows, and a removal moves the damaged one down with its bytes.
    import(writeLed("d.led", {.dots = 40, .frames = 3}), 40, 3);
    session.removeShow(0);
    shows.erase(shows.begin());
    selectColourOrder(1);
    expectNothingLost(1);
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaultBetweenImportAndColourOrder,
                         ::testing::Values(Fault::deleted, Fault::truncated, Fault::folder, Fault::unreadable,
                                           Fault::fifo, Fault::device, Fault::hugeSparse),
                         [](const auto& info) { return faultName(info.param); });

// A file chosen in the dialog that is no regular file is a wrong file: the open command neither
// hangs on it nor reads from it, and what was loaded and pending stays.
TEST_F(FileFaults, AFifoOrADeviceChosenAsTheLedFileIsAWrongFile) {
    import(writeLed("a.led", {.dots = 20, .frames = 5}), 20, 5);
    const auto pending = writeLed("pending.led", {.dots = 9, .frames = 4});
    files.choose(pending);
    session.openLedFile();
    testing::typeNumber(session, view, NumberField::dots, "8");

    const auto lonelyFifo = (dir.path() / "nobody-writes.led").string();
    ASSERT_EQ(::mkfifo(lonelyFifo.c_str(), 0600), 0);
    const auto busyFifo = (dir.path() / "somebody-writes.led").string();
    ASSERT_EQ(::mkfifo(busyFifo.c_str(), 0600), 0);
    // Held open for reading and writing here: the FIFO has a writer that never writes.
    const int writer = ::open(busyFifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const auto linkToZero = (dir.path() / "zero.led").string();
    fs::create_symlink("/dev/zero", linkToZero);

    for (const std::string& path : {lonelyFifo, busyFifo, std::string("/dev/zero"), std::string("/dev/null"),
                                    linkToZero, std::string("/dev/tty")}) {
        SCOPED_TRACE(path);
        messages.shown.clear();
        files.choose(path);
        session.openLedFile();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "注意");
        EXPECT_EQ(messages.shown[0].text, wrongFileMessage);
        EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
        EXPECT_TRUE(view.input()->shown) << "the dialog of the pending import stays";
        EXPECT_EQ(view.input()->dots, "8");
        expectShowsAsImported(session.table(), view.entries, shows, 0);
    }
    ::close(writer);

    // OK still appends the pending file, and everything reaches the controller.
    messages.shown.clear();
    session.appendShow();
    ASSERT_TRUE(messages.shown.empty());
    shows.push_back({pending, readBytes(pending), 8, 4});
    expectNothingLost(0);
}

// A file past 2 GiB cannot be counted in 32 bits: it is refused as a wrong file from its length,
// before any of it is read into memory.
TEST_F(FileFaults, AFilePastTwoGibibytesIsRefusedWithoutReadingIt) {
    import(writeLed("a.led", {.dots = 20, .frames = 5}), 20, 5);
    const auto huge = (dir.path() / "huge.led").string();
    writeHugeSparseFile(huge, makeLedFile({.dots = 100, .frames = 1}));
    ASSERT_EQ(fs::file_size(huge), static_cast<std::uintmax_t>(past2GiB));

    const long peakBefore = peakResidentKiB();
    const auto started = std::chrono::steady_clock::now();
    files.choose(huge);
    session.openLedFile();
    const auto took = std::chrono::steady_clock::now() - started;
    const long peakAfter = peakResidentKiB();
    RecordProperty("open_command_microseconds",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, wrongFileMessage);
    EXPECT_FALSE(view.input()->shown);
    // Reading the file would have needed 2 GiB more; 16 MiB is far more than the command itself needs.
    EXPECT_LT(peakAfter - peakBefore, 16 * 1024)
        << "peak resident memory grew from " << peakBefore << " KiB to " << peakAfter << " KiB";
    expectNothingLost(0);
}

}  // namespace
}  // namespace pelmora::testing
