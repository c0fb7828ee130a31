#include <gtest/gtest.h>

#include <algorithm>

#include "expected_image.h"
#include "led_builder.h"
#include "session/texts.h"
#include "session_harness.h"

namespace pelmora {
namespace {

using Chunk = std::vector<std::uint8_t>;

// The port button, the send command and the receive handler, on the fake platform.
class DownloadCommandsTest : public ::testing::Test, protected testing::SessionHarness {
protected:
    DownloadCommandsTest() {
        session.choosePort(2);
        port.calls.clear();
    }
    void toggle() { session.togglePort(); }
    void portLost() { port.lose(); }
    // Imports a show of `bytes` pixel bytes in one frame (a multiple of 3); returns its pixels.
    Chunk fill(int bytes) {
        testing::LedFileSpec led;
        led.dots = bytes / 3;
        led.headerPixelBytes = 3;
        const Bytes file = testing::makeLedFile(led);
        EXPECT_TRUE(import(dir.write("show" + std::to_string(view.entries.size()) + ".led", file), bytes / 3, 1));
        return {file.begin() + 512, file.begin() + 512 + bytes};
    }
    // The controller sends `bytes` in one read; returns what the tool wrote in answer.
    Chunk answer(const Chunk& bytes) {
        port.writes.clear();
        port.receive(bytes);
        return port.written();
    }

    testing::TempDir dir;
};

using PortControlTest = DownloadCommandsTest;

TEST_F(PortControlTest, OpensTheChosenPortWithTheControllersSettingsInOrder) {
    toggle();
    EXPECT_EQ(port.calls, (std::vector<std::string>{"port 3", "settings", "raw", "out 4096", "in 1024", "open",
                                                    "read length 0", "rthreshold 1", "sthreshold 0"}));
    EXPECT_EQ(port.settings.baudRate, 115200);
    EXPECT_EQ(port.settings.dataBits, 8);
    EXPECT_EQ(port.settings.parity, LineSettings::Parity::none);
    EXPECT_EQ(port.settings.stopBits, LineSettings::StopBits::one);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{255, 0, 0}));
    EXPECT_EQ(view.portButton, "关闭串口");
    EXPECT_FALSE(view.portListEnabled);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PortControlTest, ASecondClickClosesItEvenMidDownload) {
    toggle();
    view.setStatus("开始发送中......");
    view.progressVisible = true;
    port.calls.clear();
    toggle();
    EXPECT_EQ(port.calls, std::vector<std::string>{"close"});
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_EQ(view.status, "");
    EXPECT_FALSE(view.progressVisible);
}

TEST_F(PortControlTest, EveryFailureGivesTheOneMessageAndLeavesThePortClosed) {
    port.opens = false;
    for (const PortFailure kind : {PortFailure::missing, PortFailure::busy, PortFailure::notPermitted,
                                   PortFailure::notSerialDevice, PortFailure::other}) {
        port.failsWith = kind;
        toggle();
    }
    session.typePortText();
    toggle();  // typed text names no port, whatever it reads like
    ASSERT_EQ(messages.shown.size(), 6u);
    for (const auto& m : messages.shown) {
        EXPECT_EQ(m.title, "出错了!");
        EXPECT_EQ(m.text, "不存在该串口,请重新选择.");
        EXPECT_EQ(m.icon, MessageBox::Icon::none);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "open"), 5);  // typed text never reaches open
    // An entry chosen from the list again names a port again.
    port.opens = true;
    session.choosePort(1);
    toggle();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.portNumber, 2);
}

// pelmora-send names the kind; the sequence stops at the open that failed.
TEST_F(PortControlTest, TheOpenSequencePassesOnWhyThePortDidNotOpen) {
    port.opens = false;
    port.failsWith = PortFailure::notPermitted;
    const PortOpenResult opened = openControllerPort(port, 3);
    EXPECT_EQ(opened.failure, PortFailure::notPermitted);
    EXPECT_EQ(opened.systemText, "fake port");
    EXPECT_EQ(port.calls.back(), "open");
}

TEST_F(PortControlTest, APortThatVanishesIsClosedAndReportedOnce) {
    toggle();
    view.progressVisible = true;
    portLost();
    portLost();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_FALSE(view.progressVisible);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "不存在该串口,请重新选择.");
}

// A browser without Web Serial: the status line says so from the start, and so does the port
// button, without touching the port; importing and sending's own refusals stay as they are.
TEST_F(PortControlTest, WithoutSerialPortsTheStatusLineAndThePortButtonSaySo) {
    const std::string noSerial =
        "此浏览器无法访问串口: 请用电脑版的 Chrome、Edge 或 Opera (89 及以上版本), "
        "或 Firefox (151 及以上版本) 打开本页。导入、预览和生成映像仍可使用。";
    port.reaches = false;
    session.startUp();  // COM1 chosen again
    EXPECT_EQ(view.status, noSerial);
    view.setStatus("");
    toggle();
    EXPECT_EQ(view.status, noSerial);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "出错了!");
    EXPECT_EQ(messages.shown[0].text, noSerial);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_FALSE(port.isOpen());
    fill(3);
    session.send();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "COM1串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。");
}

TEST(UsbPortDescription, NamesVendorAndProductInHex) {
    EXPECT_EQ(texts::usbPortDescription(0x1A86, 0x7523), "USB 串口 1A86:7523");
    EXPECT_EQ(texts::usbPortDescription(0x0403, 0x6001), "USB 串口 0403:6001");
    EXPECT_EQ(texts::usbPortDescription(0xFFFF, 0), "USB 串口 FFFF:0000");
    EXPECT_EQ(texts::usbPortDescription(-1, -1), "串口");  // not a USB adapter
}

TEST_F(DownloadCommandsTest, SendWritesTheStartByteAndShowsProgress) {
    fill(10002);
    toggle();
    view.progressVisible = false;
    port.writes.clear();
    session.send();
    EXPECT_EQ(port.written(), Chunk{0x41});
    EXPECT_EQ(view.progressMin, 0);
    EXPECT_EQ(view.progressMax, 3);
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_TRUE(view.progressVisible);
    EXPECT_EQ(view.status, "开始发送中......");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DownloadCommandsTest, TheRequestsMoveTheProgressBarAndTheLastOneTheStatusLine) {
    const Chunk pixels = fill(10002);
    toggle();
    session.send();
    EXPECT_EQ(answer({0x41}).size(), 38u);
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_EQ(answer({0x42}), Chunk(pixels.begin(), pixels.begin() + 4096));
    EXPECT_EQ(view.progressValue, 1);
    answer({0x42});
    EXPECT_EQ(view.progressValue, 2);
    EXPECT_EQ(answer({0x42}), Chunk(pixels.begin() + 8192, pixels.end()));
    EXPECT_EQ(view.progressValue, 3);
    EXPECT_TRUE(answer({0x16}).empty());
    EXPECT_EQ(view.status, "所有数据已经发送到控制器中.");
    EXPECT_TRUE(view.progressVisible);
    port.writes.clear();
    port.waiting = {0x42};
    port.listener->commEvent(1);  // not a receive event
    EXPECT_TRUE(port.written().empty());
}

TEST_F(DownloadCommandsTest, TheImageIsCopiedAtSendTime) {
    const Chunk pixels = fill(9000);
    toggle();
    session.send();
    session.removeShow(0);
    fill(300);
    EXPECT_EQ(answer({0x42}), Chunk(pixels.begin(), pixels.begin() + 4096));  // the 9000-byte show
}

TEST_F(DownloadCommandsTest, ClosingAndReopeningThePortKeepsTheCount) {
    const Chunk pixels = fill(20001);  // 5 chunk writes
    toggle();
    session.send();
    answer({0x42});
    answer({0x42});
    toggle();
    toggle();
    EXPECT_EQ(answer({0x42}), Chunk(pixels.begin() + 8192, pixels.begin() + 12288));
}

TEST_F(DownloadCommandsTest, NoShowsGivesOnlyTheImportMessage) {
    session.send();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].text, "请先导入文件后再发送数据。");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(DownloadCommandsTest, AClosedPortIsNamedInTheMessageAfterTheImageIsBuilt) {
    fill(300);
    session.changeFrameTime(29);
    session.send();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "提示");
    EXPECT_EQ(messages.shown[0].text, "COM3串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::none);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(view.status, "");
    // The image was built all the same: once the port is open, the controller's 0x41 gets its header.
    toggle();
    const Chunk header = answer({0x41});
    ASSERT_EQ(header.size(), 38u);
    EXPECT_EQ(header[3], 30);
    EXPECT_TRUE(answer({0x42}).empty());  // no download was started
}

TEST_F(DownloadCommandsTest, AnImageBuiltRightAfterStartUpCarriesFiveAsFrameTime) {
    fill(6);
    toggle();
    session.send();
    EXPECT_EQ(answer({0x41}).at(3), 5);
}

TEST_F(DownloadCommandsTest, BytesFromThePortReachTheHandshakeAndALostPortIsReported) {
    toggle();
    EXPECT_EQ(answer({0x41}), Chunk(38, 0));
    port.lose();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "出错了!");
}

}  // namespace
}  // namespace pelmora
