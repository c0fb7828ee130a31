#include <gtest/gtest.h>

#include "led_builder.h"
#include "session_harness.h"

namespace pelmora {
namespace {

using namespace pelmora::testing;

// Start-up, the shop link, the port list's tooltips, shutdown and the dialog's number rules.
class SessionTest : public ::testing::Test, protected SessionHarness {};

TEST_F(SessionTest, StartUpFillsTheListsAndShowsAnEmptyTable) {
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
    EXPECT_EQ(view.usedValue, 0);
    EXPECT_EQ(view.sizeText, "0.00%");
    EXPECT_FALSE(view.progressVisible);
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.status, "");
    session.changeColourOrder(0);  // nothing to convert
    EXPECT_EQ(view.selected, -1);
}

TEST_F(SessionTest, TheShopLinkOpensThePageOnceAndChangesNothingElse) {
    view.setStatus("x");
    session.openShopLink();
    EXPECT_EQ(web.opened, std::vector<std::string>{"https://example.com/led-controller"});
    EXPECT_EQ(view.status, "x");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SessionTest, ThePortListTellsWhereEachEntryLeads) {
    ports.listed = {{"/dev/ttyUSB3", "/dev/ttyUSB3", PortFailure::none},
                    {"/dev/ttyS0", "/dev/ttyS0", PortFailure::busy},  // not known without opening
                    {"/dev/ttyACM0", "/dev/ttyACM0", PortFailure::notPermitted},
                    {"/dev/ttyUSB0", "/dev/ttyUSB0", PortFailure::missing},
                    {"/dev/ttyUSB1", "/dev/ttyUSB1", PortFailure::notSerialDevice}};
    session.portListOpening();
    ASSERT_EQ(view.portTooltips.size(), 16u);
    EXPECT_EQ(view.portTooltips[0], "/dev/ttyUSB3");
    EXPECT_EQ(view.portTooltips[1], "/dev/ttyS0");
    EXPECT_EQ(view.portTooltips[2], "/dev/ttyACM0 (设备存在,但当前用户无权打开:请把用户加入 dialout 组,然后重新登录)");
    EXPECT_EQ(view.portTooltips[3], "/dev/ttyUSB0 (设备已不存在)");
    EXPECT_EQ(view.portTooltips[4], "/dev/ttyUSB1 (不是串口设备)");
    EXPECT_EQ(view.portTooltips[5], "没有对应的串口设备");
    EXPECT_EQ(view.portTooltips[15], "没有对应的串口设备");
    // The box itself tells where its chosen entry leads; typed text leads nowhere.
    EXPECT_EQ(view.portBoxTooltip, "/dev/ttyUSB3");
    session.choosePort(5);
    EXPECT_EQ(view.portBoxTooltip, "没有对应的串口设备");
    session.typePortText();
    EXPECT_EQ(view.portBoxTooltip, "");
}

TEST_F(SessionTest, ShutdownHidesTheParameterDialog) {
    TempDir dir;
    files.choose(dir.write("a.led", makeLedFile({})));
    session.openLedFile();
    ASSERT_TRUE(view.input()->shown);
    session.shutdown();
    EXPECT_FALSE(view.input()->shown);
    EXPECT_EQ(session.table().showCount(), 0);
}

TEST_F(SessionTest, SelectingAColourOrderRereadsEveryShowAndLeavesTheLastSelected) {
    TempDir dir;
    ASSERT_TRUE(import(dir.write("a.led", makeLedFile({.dots = 2, .frames = 1}))));
    ASSERT_TRUE(import(dir.write("b.led", makeLedFile({.dots = 3, .frames = 2}))));
    view.selected = 0;
    session.changeColourOrder(5);
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(session.table().showColourOrder(1), 5);
    EXPECT_EQ(session.table().showColourOrder(2), 5);
}

// The dialog's two rules are the core's (tested there); the session answers the front-ends with them.
TEST_F(SessionTest, TheNumberBoxesAskTheSessionForTheKeyFilterAndTheMinimumOfOne) {
    EXPECT_TRUE(session.typedTextAccepted(u"5"));
    EXPECT_FALSE(session.typedTextAccepted(u"a"));
    EXPECT_FALSE(session.typedTextAccepted(u"\uffff")) << "a code from U+8000 up is negative";
    EXPECT_TRUE(session.typedTextAccepted(u"")) << "keys that type nothing pass";
    EXPECT_TRUE(session.typedTextAccepted(u"7x")) << "a commit goes by its first character";
    EXPECT_FALSE(session.typedTextAccepted(u"x7"));
    TempDir dir;
    files.choose(dir.write("a.led", makeLedFile({.dots = 20, .frames = 3})));
    session.openLedFile();
    const int written = view.input()->numberTextsWritten;
    typeNumber(session, view, NumberField::dots, "0");
    EXPECT_EQ(view.input()->dots, "1") << "the rule writes the box back";
    typeNumber(session, view, NumberField::frames, "2abc");
    EXPECT_EQ(view.input()->frames, "2abc");
    EXPECT_EQ(view.input()->numberTextsWritten, written + 1) << "a text that stands is not written again";
    session.appendShow();
    EXPECT_EQ(session.table().showFrames(1), 2) << "OK reads the texts the session kept";
    EXPECT_EQ(session.table().showFrameBytes(1), 3);
}

}  // namespace
}  // namespace pelmora
