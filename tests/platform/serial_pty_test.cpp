// The Qt serial port against real pseudo-terminal pairs: the test holds the master side and
// plays the controller; the port opens the slave side through a device folder of symlinks.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "as_nobody.h"
#include "event_loop.h"
#include "led_builder.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "pty_pair.h"
#include "session/session.h"

namespace pelmora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::Pty;
using testing::runUntil;
using testing::spin;
using testing::TempDir;

struct Listener : SerialPort::Listener {
    void commEvent(int code) override {
        codes.push_back(code);
        if (onEvent) onEvent();
    }
    void portLost() override {
        ++lost;
        if (onLost) onLost();
    }
    std::vector<int> codes;
    int lost = 0;
    std::function<void()> onEvent, onLost;
};

// The settings in the order the port button applies them.
bool openLikeThePortButton(QtSerialPort& port, int number, const LineSettings& settings = controllerLine) {
    port.setPortNumber(number);
    port.setSettings(settings);
    port.setRawMode(true);
    port.setOutBufferSize(4096);
    port.setInBufferSize(1024);
    if (!port.open()) return false;
    port.setReadLength(0);
    port.setReceiveThreshold(1);
    port.setSendThreshold(0);
    return true;
}

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_symlink(pty.slavePath(), folder.path() / "ttyUSB0");
        port.setListener(&listener);
    }

    // What the controller takes from the line until `count` bytes have come, or the wait ends.
    Bytes takeAtTheController(std::size_t count) {
        Bytes arrived;
        runUntil([&] {
            const Bytes more = pty.take();
            arrived.insert(arrived.end(), more.begin(), more.end());
            return arrived.size() >= count;
        });
        return arrived;
    }

    Pty pty;
    TempDir folder;
    PosixPortDirectory devices{folder.path().string()};
    QtSerialPort port{devices};
    Listener listener;
};

// Typed line settings as the open hands them to QSerialPort, or the open refused for values no
// line can have.
struct SettingsCase {
    const char* name;
    LineSettings settings;
    bool opens;
    qint32 baudRate = 0;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

std::ostream& operator<<(std::ostream& out, const SettingsCase& c) { return out << c.name; }

using P = LineSettings::Parity;
using S = LineSettings::StopBits;

class LineSettingsOnAPty : public SerialPty, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(LineSettingsOnAPty, AreAppliedToTheQtPortOrRefuseTheOpen) {
    const SettingsCase& c = GetParam();
    ASSERT_EQ(openLikeThePortButton(port, 1, c.settings), c.opens);
    EXPECT_EQ(port.isOpen(), c.opens);
    if (!c.opens) return;
    EXPECT_EQ(port.port().baudRate(), c.baudRate);
    EXPECT_EQ(port.port().dataBits(), c.dataBits);
    EXPECT_EQ(port.port().parity(), c.parity);
    EXPECT_EQ(port.port().stopBits(), c.stopBits);
}

INSTANTIATE_TEST_SUITE_P(Settings, LineSettingsOnAPty,
                         ::testing::Values(SettingsCase{"TheControllersLine", controllerLine, true, 115200,
                                                        QSerialPort::Data8, QSerialPort::NoParity,
                                                        QSerialPort::OneStop},
                                           SettingsCase{"EvenParitySevenBitsTwoStops",
                                                        {9600, 7, P::even, S::two},
                                                        true,
                                                        9600,
                                                        QSerialPort::Data7,
                                                        QSerialPort::EvenParity,
                                                        QSerialPort::TwoStop},
                                           SettingsCase{"OddParityFiveBits",
                                                        {1200, 5, P::odd, S::one},
                                                        true,
                                                        1200,
                                                        QSerialPort::Data5,
                                                        QSerialPort::OddParity,
                                                        QSerialPort::OneStop},
                                           SettingsCase{"MarkParity",
                                                        {300, 6, P::mark, S::one},
                                                        true,
                                                        300,
                                                        QSerialPort::Data6,
                                                        QSerialPort::MarkParity,
                                                        QSerialPort::OneStop},
                                           SettingsCase{"SpaceParity",
                                                        {300, 6, P::space, S::one},
                                                        true,
                                                        300,
                                                        QSerialPort::Data6,
                                                        QSerialPort::SpaceParity,
                                                        QSerialPort::OneStop},
                                           SettingsCase{"NineDataBits", {115200, 9, P::none, S::one}, false},
                                           SettingsCase{"FourDataBits", {115200, 4, P::none, S::one}, false},
                                           SettingsCase{"BaudRateZero", {0, 8, P::none, S::one}, false},
                                           SettingsCase{"NegativeBaudRate", {-5, 8, P::none, S::one}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialPty, OpensTheNthDeviceOfTheFolderAt115200With8N1Raw) {
    // ttyUSB devices come before ttyS ones, so COM1 is ttyUSB0 even with a ttyS0 beside it.
    Pty other;
    std::filesystem::create_symlink(other.slavePath(), folder.path() / "ttyS0");
    port.setPortNumber(1);
    EXPECT_EQ(port.devicePath().toStdString(), (folder.path() / "ttyUSB0").string());

    ASSERT_TRUE(openLikeThePortButton(port, 1));
    EXPECT_TRUE(port.isOpen());
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);  // the line settings of the slave side
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);

    ASSERT_TRUE(port.write(Bytes{0x41}));
    Bytes atOurs;
    ASSERT_TRUE(runUntil([&] { return !(atOurs = pty.take()).empty(); }));
    EXPECT_EQ(atOurs, Bytes{0x41});
    EXPECT_TRUE(other.take().empty());
}

TEST_F(SerialPty, BytesWrittenArriveAtTheControllerUnchanged) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    Bytes expected{0x41};
    Bytes header(38), chunk(4096);
    for (std::size_t i = 0; i < header.size(); ++i) header[i] = static_cast<std::uint8_t>(i * 3);
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    chunk[10] = '\n', chunk[11] = '\r', chunk[12] = 0x11, chunk[13] = 0x13, chunk[14] = 0x03, chunk[15] = 0x04;

    ASSERT_TRUE(port.write(Bytes{0x41}));
    ASSERT_TRUE(port.write(header));
    ASSERT_TRUE(port.write(chunk));
    expected.insert(expected.end(), header.begin(), header.end());
    expected.insert(expected.end(), chunk.begin(), chunk.end());

    const Bytes arrived = takeAtTheController(expected.size());
    EXPECT_EQ(arrived, expected);
}

// A controller that is slow to take its bytes leaves the line full for a while; the bytes wait in
// the port and follow as it makes room, with no loss reported and none of them dropped.
TEST_F(SerialPty, WritesIntoAFullLineWaitAndFollowInOrder) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    Bytes expected;
    for (int n = 0; n < 40; ++n) {
        Bytes chunk(4096);
        for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>(n * 7 + i);
        ASSERT_TRUE(port.write(chunk)) << "chunk " << n;
        expected.insert(expected.end(), chunk.begin(), chunk.end());
    }
    spin(50);
    EXPECT_EQ(listener.lost, 0);
    ASSERT_TRUE(port.isOpen());

    const Bytes arrived = takeAtTheController(expected.size());
    EXPECT_EQ(arrived, expected);
    EXPECT_EQ(listener.lost, 0);
}

TEST_F(SerialPty, BytesFromTheControllerRaiseReceiveEventsAndAreReadWhole) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    Bytes read;
    listener.onEvent = [&] {
        const Bytes more = port.readAll();
        read.insert(read.end(), more.begin(), more.end());
    };

    pty.send({0x41});
    ASSERT_TRUE(runUntil([&] { return !listener.codes.empty(); }));
    EXPECT_EQ(listener.codes.front(), SerialPort::receiveEvent);
    EXPECT_EQ(read, Bytes{0x41});

    pty.send({0x42, 0x16, 0x00, '\r', 0x11});
    ASSERT_TRUE(runUntil([&] { return read.size() >= 6; }));
    EXPECT_EQ(read, (Bytes{0x41, 0x42, 0x16, 0x00, '\r', 0x11}));
    for (int code : listener.codes) EXPECT_EQ(code, SerialPort::receiveEvent);
    EXPECT_TRUE(port.readAll().empty());
}

TEST_F(SerialPty, NoReceiveEventWithoutAThreshold) {
    port.setPortNumber(1);
    port.setSettings(controllerLine);
    ASSERT_TRUE(port.open());

    pty.send({0x42});
    // Qt has taken the byte in (its readyRead has come and gone) and no event was raised.
    ASSERT_TRUE(runUntil([&] { return port.port().bytesAvailable() > 0; }));
    EXPECT_TRUE(listener.codes.empty());
    EXPECT_EQ(port.readAll(), Bytes{0x42});

    port.setReceiveThreshold(1);
    pty.send({0x16});
    ASSERT_TRUE(runUntil([&] { return !listener.codes.empty(); }));
    EXPECT_EQ(port.readAll(), Bytes{0x16});
}

TEST_F(SerialPty, ClosedPortNeitherReadsNorWrites) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(Bytes{0x41}));
    pty.send({0x41});
    spin(20);
    EXPECT_TRUE(listener.codes.empty());
    EXPECT_TRUE(port.readAll().empty());
    EXPECT_TRUE(pty.take().empty());

    // The port opens again, and the controller's byte sent meanwhile is waiting.
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    pty.send({0x42});
    ASSERT_TRUE(runUntil([&] { return !listener.codes.empty(); }));
}

// Each open that fails says why, with the system's own words where it gave some.
struct FailedOpen {
    const char* name;
    const char* linkTarget;  // what ttyUSB1 (COM2) leads to: "" no link, "=file" a plain file of the folder
    int number;
    PortFailure failure;
    int systemError;  // the errno whose text comes with it; 0 none
};

std::ostream& operator<<(std::ostream& out, const FailedOpen& c) { return out << c.name; }

class FailedOpenOnAPty : public SerialPty, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(FailedOpenOnAPty, SaysWhyAndLeavesThePortClosed) {
    const FailedOpen& c = GetParam();
    const std::string target = c.linkTarget;
    if (target == "=file")
        std::filesystem::create_symlink(folder.write("plain", {1, 2, 3}), folder.path() / "ttyUSB1");
    else if (!target.empty())
        std::filesystem::create_symlink(target, folder.path() / "ttyUSB1");
    port.setPortNumber(c.number);
    port.setSettings(controllerLine);
    const PortOpenResult result = port.open();
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.systemText, c.systemError ? std::strerror(c.systemError) : "");
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(openLikeThePortButton(port, 1));  // the folder's one pty does open
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedOpenOnAPty,
                         ::testing::Values(FailedOpen{"PortZero", "", 0, PortFailure::missing, 0},
                                           FailedOpen{"NoDeviceForTheNumber", "", 2, PortFailure::missing, 0},
                                           FailedOpen{"ALinkWhoseDeviceHasGone", "/nonexistent/ttyUSB1", 2,
                                                      PortFailure::missing, ENOENT},
                                           FailedOpen{"DevNull", "/dev/null", 2, PortFailure::notSerialDevice, ENOTTY},
                                           FailedOpen{"APlainFile", "=file", 2, PortFailure::notSerialDevice, ENOTTY}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialPty, OpenFailsForBadSettingsOrAMissingFolder) {
    port.setPortNumber(1);
    port.setSettings({115200, 9, LineSettings::Parity::none, LineSettings::StopBits::one});
    EXPECT_EQ(port.open().failure, PortFailure::other);
    EXPECT_FALSE(port.isOpen());

    const PosixPortDirectory noFolder{(folder.path() / "no-such-folder").string()};
    QtSerialPort elsewhere{noFolder};
    elsewhere.setPortNumber(1);
    EXPECT_EQ(elsewhere.open().failure, PortFailure::missing);
}

// Both opens go through the same name: as root, another name of the same pty would open again.
TEST_F(SerialPty, PortHeldByAnotherIsRefusedAsBusyUntilReleased) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    QtSerialPort second{devices};
    second.setPortNumber(1);
    second.setSettings(controllerLine);
    const PortOpenResult refused = second.open();
    EXPECT_EQ(refused.failure, PortFailure::busy);
    EXPECT_EQ(refused.systemText, "");  // Qt's text for its lock file would speak of permission
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.open().failure, PortFailure::busy);  // already open here
    EXPECT_TRUE(port.isOpen());

    port.close();
    EXPECT_TRUE(openLikeThePortButton(second, 1));
}

// A pty nobody may read or write (root opens it all the same, so it is opened as nobody).
TEST_F(SerialPty, APortThisUserMayNotOpenIsNotPermitted) {
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    port.setPortNumber(1);
    port.setSettings(controllerLine);
    EXPECT_TRUE(testing::holdsForAnotherUser([&] {
        const PortOpenResult result = port.open();
        return result.failure == PortFailure::notPermitted && result.systemText == std::strerror(EACCES);
    }));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPty, PulledOutMidTransferClosesThePortAndSaysSoOnce) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    int errors = 0;
    QObject::connect(&port.port(), &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError) ++errors;
    });
    bool openWhenTold = false;
    listener.onLost = [&] { openWhenTold = port.isOpen(); };
    // The tool answers each request with a chunk, as a download does.
    listener.onEvent = [&] {
        if (!port.readAll().empty()) port.write(Bytes(4096, 0x5A));
    };
    pty.send({0x42});
    ASSERT_TRUE(runUntil([&] { return !listener.codes.empty(); }));
    pty.closeMaster();

    ASSERT_TRUE(runUntil([&] { return !port.isOpen(); }));
    spin(50);  // time for any further error to show
    EXPECT_EQ(listener.lost, 1);
    EXPECT_TRUE(openWhenTold);  // the listener can still run its own close sequence
    EXPECT_FALSE(port.isOpen());
    EXPECT_LE(errors, 5);
    EXPECT_FALSE(port.write(Bytes{0x41}));
    EXPECT_TRUE(port.readAll().empty());
}

TEST_F(SerialPty, ListenerThatClosesThePortItselfIsToldOnce) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    listener.onLost = [&] { port.close(); };
    pty.closeMaster();
    ASSERT_TRUE(runUntil([&] { return !port.isOpen(); }));
    spin(50);
    EXPECT_EQ(listener.lost, 1);

    // A new line on the same name opens again, and a second loss is told again.
    Pty replacement;
    std::filesystem::remove(folder.path() / "ttyUSB0");
    std::filesystem::create_symlink(replacement.slavePath(), folder.path() / "ttyUSB0");
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    replacement.closeMaster();
    ASSERT_TRUE(runUntil([&] { return !port.isOpen(); }));
    spin(20);
    EXPECT_EQ(listener.lost, 2);
}

TEST_F(SerialPty, ClosedByTheUserIsNoLoss) {
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    port.close();
    pty.closeMaster();
    spin(50);
    EXPECT_EQ(listener.lost, 0);
}

// Lock files Qt may keep for serial devices, in the folders it may use; only those of devices
// whose path contains `mark`, so that ports other tests hold open at the same time do not count.
std::set<std::string> lockFiles(const std::string& mark) {
    std::set<std::string> found;
    for (const char* dir : {"/var/lock", "/run/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir, error))
            if (const auto name = entry.path().filename().string();
                name.rfind("LCK..", 0) == 0 && name.find(mark) != std::string::npos)
                found.insert(std::filesystem::canonical(entry.path(), error).string());
    }
    return found;
}

std::size_t openFileDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST_F(SerialPty, OpeningAndClosingAThousandTimesLeavesNoDescriptorOrLockFile) {
    const auto locksBefore = lockFiles(folder.path().filename().string());
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    const auto locksWhileOpen = lockFiles(folder.path().filename().string());
    EXPECT_EQ(locksWhileOpen.size(), locksBefore.size() + 1);  // the port's own lock, seen where we look
    port.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::size_t fdsBefore = openFileDescriptors();

    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(openLikeThePortButton(port, 1)) << "round " << i;
        port.close();
        if (i % 50 == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(openFileDescriptors(), fdsBefore);
    EXPECT_EQ(lockFiles(folder.path().filename().string()), locksBefore);
    // The line still works after all that.
    ASSERT_TRUE(openLikeThePortButton(port, 1));
    pty.send({0x41});
    ASSERT_TRUE(runUntil([&] { return !listener.codes.empty(); }));
}

}  // namespace
}  // namespace pelmora
