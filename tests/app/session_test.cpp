#include "app/session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes.h"
#include "led_builder.h"

namespace pelmora {
namespace {

using namespace pelmora::testing;

class SessionTest : public ::testing::Test {
protected:
    FakeMainView view;
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeWebOpener web;
    FakeSerialPort port;
    TempDir dev;
    Session session{view, Platform{messages, files, web, port}, "/opt/pelmora", dev.path().string()};
};

TEST_F(SessionTest, StartUpFillsTheListsAndShowsAnEmptyTable) {
    session.startUp();
    ASSERT_EQ(view.portList.size(), 16u);
    EXPECT_EQ(view.portList.front(), "COM1");
    EXPECT_EQ(view.portList.back(), "COM16");
    EXPECT_EQ(view.portSelected, 0);
    EXPECT_EQ(view.colourList,
              (std::vector<std::string>{"RGB红绿蓝", "RBG红蓝绿", "GRB绿红蓝", "GBR绿蓝红", "BRG蓝红绿", "BGR蓝绿红"}));
    EXPECT_EQ(view.colourSelected, 0);
    ASSERT_EQ(view.timeList.size(), 30u);
    EXPECT_EQ(view.timeList.front(), "10毫秒");
    EXPECT_EQ(view.timeList[4], "50毫秒");
    EXPECT_EQ(view.timeList.back(), "300毫秒");
    EXPECT_EQ(view.timeSelected, 4);
    EXPECT_EQ(view.usedMaximum, 60378);
    EXPECT_EQ(view.usedValue, 0.0f);
    EXPECT_EQ(view.sizeText, "0.00%");
    EXPECT_FALSE(view.progressVisible);
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.status(), "");
    session.changeColourOrder();  // the selection start-up may raise: nothing to convert
    EXPECT_EQ(view.selected, -1);
}

TEST_F(SessionTest, AnImageBuiltRightAfterStartUpCarriesFiveAsFrameTime) {
    session.startUp();
    LedFileSpec led;
    led.dots = 2;
    files.choose(dev.write("a.led", makeLedFile(led)));
    session.openLedFile();
    session.appendShow();
    session.togglePort();
    session.send();
    EXPECT_EQ(session.transfer().sendBuffer()[3], 5);
}

TEST_F(SessionTest, TheShopLinkOpensThePageOnceAndChangesNothingElse) {
    session.startUp();
    view.setStatus("x");
    session.openShopLink();
    EXPECT_EQ(web.opened, std::vector<std::string>{"https://example.com/led-controller"});
    EXPECT_EQ(view.status(), "x");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SessionTest, ThePortListTellsWhereEachEntryLeads) {
    dev.write("ttyUSB3", {});
    dev.write("ttyS0", {});
    session.portListOpening();
    ASSERT_EQ(view.portTooltips.size(), 16u);
    EXPECT_EQ(view.portTooltips[0], (dev.path() / "ttyUSB3").string());
    EXPECT_EQ(view.portTooltips[1], (dev.path() / "ttyS0").string());
    EXPECT_EQ(view.portTooltips[2], "没有对应的串口设备");
}

TEST_F(SessionTest, ShutdownHidesTheParameterDialog) {
    session.startUp();
    files.choose(dev.write("a.led", makeLedFile({})));
    session.openLedFile();
    ASSERT_TRUE(view.input()->shown);
    session.shutdown();
    EXPECT_FALSE(view.input()->shown);
    EXPECT_EQ(session.table().showCount(), 0);
}

TEST_F(SessionTest, BytesFromThePortReachTheHandshake) {
    session.startUp();
    session.togglePort();
    port.receive({0x41});
    EXPECT_EQ(port.written(), std::vector<std::uint8_t>(38, 0));
    port.lose();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "出错了!");
}

}  // namespace
}  // namespace pelmora
