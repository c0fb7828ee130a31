// The Win32 serial port and a whole session over a COM port that Wine links to a pseudo-terminal;
// on its far side the Linux controller emulator, or the driver script playing a faulty controller
// (serial_wine_test.py starts each case with the far side it needs).
//
//   PELMORA_WINE_COM       the COM number whose link reaches the far side
//   PELMORA_WINE_EXPECTED  where the full download writes the image the controller must hold

#include <windows.h>
//
#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdlib>
#include <fstream>

#include "expected_image.h"
#include "fakes.h"
#include "led_builder.h"
#include "message_loop.h"
#include "platform/win32/win32_port_directory.h"
#include "platform/win32/win32_serial_port.h"
#include "session/session.h"
#include "session_harness.h"

namespace pelmora {
namespace {

using testing::Bytes;
using testing::KnownShow;
using testing::runUntil;
using testing::spin;

int comNumber() {
    const char* value = std::getenv("PELMORA_WINE_COM");
    return value ? std::atoi(value) : 0;
}

// The session with the real Windows port and port names; the rest of the platform faked.
class WineSerial : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(comNumber(), 1) << "run by serial_wine_test.py";
        session.startUp();
        session.choosePort(comNumber() - 1);
    }

    // Imports the file, with the dot count typed over the preset when one is given.
    KnownShow import(const std::string& name, const testing::LedFileSpec& led, std::optional<int> dots = {}) {
        KnownShow show{"", testing::makeLedFile(led), dots.value_or(led.dots), led.frames};
        show.path = dir.write(name, show.file);
        const auto typed = dots ? std::optional<long long>(*dots) : std::nullopt;
        EXPECT_TRUE(testing::importShow(session, files, view, show.path, typed)) << name;
        return show;
    }

    std::string lastMessage() const { return messages.shown.empty() ? "" : messages.shown.back().text; }

    testing::TempDir dir;
    testing::FakeMessageBox messages;
    testing::FakeFileDialog files;
    testing::FakeWebOpener web;
    Win32PortDirectory ports;
    Win32SerialPort port;
    testing::FakeMainView view;
    Session session{view, {messages, files, web, port, ports}, testing::utf8Of(dir.path())};
};

TEST_F(WineSerial, DownloadsAFullTableThroughTheComPort) {
    // 1000 dots of 20 frames typed down to 900: 54000 bytes; 1063 dots of 2 frames: 6378 bytes.
    // Together the controller's 60378 bytes, fourteen chunks and a tail.
    std::vector<KnownShow> shows;
    shows.push_back(import("宽屏_演示.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5}, 900));
    shows.push_back(import("tail.led", {.dots = 1063, .frames = 2, .sectorsMinusOne = 6}));
    ASSERT_TRUE(messages.shown.empty()) << lastMessage();

    session.togglePort();
    ASSERT_TRUE(port.isOpen()) << lastMessage();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(::GetCommState(port.handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);

    const Bytes expected = testing::expectedImage(shows, 0, 5);
    ASSERT_EQ(expected.size(), 38u + 60378u);
    session.send();
    ASSERT_TRUE(runUntil([&] { return view.status == "所有数据已经发送到控制器中."; }))
        << "status " << view.status << ", progress " << view.progressValue;
    EXPECT_EQ(view.progressMax, 15);
    EXPECT_EQ(view.progressValue, 15);
    EXPECT_TRUE(messages.shown.empty()) << lastMessage();

    // The driver compares what the emulator holds with this, byte for byte.
    const char* out = std::getenv("PELMORA_WINE_EXPECTED");
    ASSERT_NE(out, nullptr);
    std::ofstream file(testing::pathOf(out), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(expected.data()), static_cast<std::streamsize>(expected.size()));
    ASSERT_TRUE(file.good());
    session.togglePort();
    EXPECT_FALSE(port.isOpen());
}

// Whatever the kind, the window has its one message; the port itself names the kind.
struct Refused {
    const char* name;
    PortFailure failure;
};

class WineSerialRefused : public WineSerial, public ::testing::WithParamInterface<Refused> {};

TEST_P(WineSerialRefused, GivesThePortMessageAndThePortSaysWhy) {
    session.togglePort();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "出错了!");
    EXPECT_EQ(messages.shown[0].text, "不存在该串口,请重新选择.");
    const PortOpenResult opened = openControllerPort(port, comNumber());
    EXPECT_EQ(opened.failure, GetParam().failure);
    EXPECT_FALSE(opened.systemText.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, WineSerialRefused,
                         ::testing::Values(Refused{"AMissingPort", PortFailure::missing},
                                           Refused{"NoSerialDevice", PortFailure::notSerialDevice}),
                         [](const auto& info) { return std::string(info.param.name); });

// Windows itself refuses a second open of a COM port; Wine does not, so here the port is held by
// another of the tool's programs, which the port's own claim keeps out.
TEST_F(WineSerial, APortHeldByAnotherGivesThePortMessageUntilItIsReleased) {
    Win32SerialPort other;
    other.setPortNumber(comNumber());
    other.setSettings(controllerLine);
    ASSERT_TRUE(other.open());
    session.togglePort();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "不存在该串口,请重新选择.");
    EXPECT_EQ(openControllerPort(port, comNumber()).failure, PortFailure::busy);

    other.close();
    session.togglePort();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(WineSerial, ALineClosedMidTransferGivesOneMessageAndAClosedPort) {
    import("a.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5});
    session.togglePort();
    ASSERT_TRUE(port.isOpen()) << lastMessage();
    session.send();
    // The far side answers the start, takes the header and part of a chunk, then goes away.
    ASSERT_TRUE(runUntil([&] { return !port.isOpen(); })) << "progress " << view.progressValue;
    spin(100);  // time for any further message to show
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "不存在该串口,请重新选择.");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_FALSE(port.write(Bytes{0x41}));
}

std::size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage;
}

// Counts what the session reads, on the real port underneath.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(SerialPort& port) : port_(port) {}
    void setListener(Listener* listener) override { port_.setListener(listener); }
    void setPortNumber(int number) override { port_.setPortNumber(number); }
    void setSettings(const LineSettings& settings) override { port_.setSettings(settings); }
    void setRawMode(bool raw) override { port_.setRawMode(raw); }
    void setOutBufferSize(int bytes) override { port_.setOutBufferSize(bytes); }
    void setInBufferSize(int bytes) override { port_.setInBufferSize(bytes); }
    PortOpenResult open() override { return port_.open(); }
    void setReadLength(int bytes) override { port_.setReadLength(bytes); }
    void setReceiveThreshold(int bytes) override { port_.setReceiveThreshold(bytes); }
    void setSendThreshold(int bytes) override { port_.setSendThreshold(bytes); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    bool write(std::span<const std::uint8_t> bytes) override { return port_.write(bytes); }
    std::vector<std::uint8_t> readAll() override {
        auto bytes = port_.readAll();
        read += bytes.size();
        return bytes;
    }
    std::size_t read = 0;

private:
    SerialPort& port_;
};

TEST(WineSerialFlood, LeavesTheToolAnsweringAndItsMemoryFlat) {
    ASSERT_GE(comNumber(), 1) << "run by serial_wine_test.py";
    testing::FakeMessageBox messages;
    testing::FakeFileDialog files;
    testing::FakeWebOpener web;
    Win32PortDirectory ports;
    Win32SerialPort real;
    CountingPort port(real);
    testing::FakeMainView view;
    Session session{view, {messages, files, web, port, ports}, "C:\\"};
    session.startUp();
    session.choosePort(comNumber() - 1);
    session.togglePort();
    ASSERT_TRUE(port.isOpen());

    // A timer message is only made when the queue is empty: it keeps coming only while the
    // received bytes leave room for everything else.
    int ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, nullptr);
    auto countTicks = [&] {
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ++ticks;
    };
    ASSERT_TRUE(runUntil([&] {
        countTicks();
        return port.read >= 256 * 1024;
    }));
    const std::size_t before = privateBytes();
    const std::size_t ticksBefore = static_cast<std::size_t>(ticks);
    const std::size_t flooded = port.read;
    ASSERT_TRUE(runUntil(
        [&] {
            countTicks();
            return port.read >= flooded + 4 * 1024 * 1024 && static_cast<std::size_t>(ticks) >= ticksBefore + 5;
        },
        120000))
        << port.read << " bytes read, " << ticks << " timer ticks";
    ::KillTimer(nullptr, timer);
    EXPECT_LT(privateBytes(), before + 2 * 1024 * 1024) << "from " << before;
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(messages.shown.empty());
    session.togglePort();  // the port still closes at once
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
}  // namespace pelmora
