#include "download/port_control.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace pelmora {
namespace {

using testing::FakeMainView;
using testing::FakeMessageBox;
using testing::FakeSerialPort;

class PortControlTest : public ::testing::Test {
protected:
    PortControlTest() { view.portSelected = 2; }
    FakeMainView view;
    FakeSerialPort port;
    FakeMessageBox messages;
    PortControl control{port, view, messages};
};

TEST_F(PortControlTest, OpensTheChosenPortWithTheControllersSettingsInOrder) {
    control.toggle();
    EXPECT_EQ(port.calls, (std::vector<std::string>{"port 3", "settings 115200,n,8,1", "raw", "out 4096", "in 1024",
                                                    "open", "read length 0", "rthreshold 1", "sthreshold 0"}));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{255, 0, 0}));
    EXPECT_EQ(view.portButton, "关闭串口");
    EXPECT_FALSE(view.portListEnabled);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PortControlTest, ASecondClickClosesItEvenMidDownload) {
    control.toggle();
    view.setStatus("开始发送中......");
    view.progressVisible = true;
    port.calls.clear();
    control.toggle();
    EXPECT_EQ(port.calls, std::vector<std::string>{"close"});
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_EQ(view.status(), "");
    EXPECT_FALSE(view.progressVisible);
}

TEST_F(PortControlTest, EveryFailureGivesTheOneMessageAndLeavesThePortClosed) {
    port.opens = false;
    control.toggle();  // missing or busy
    view.portSelected = -1;
    control.toggle();  // typed text: port number 0
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& m : messages.shown) {
        EXPECT_EQ(m.title, "出错了!");
        EXPECT_EQ(m.text, "不存在该串口,请重新选择.");
        EXPECT_EQ(m.icon, MessageBox::Icon::none);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "open"), 1);  // port 0 never reaches open
}

TEST_F(PortControlTest, APortThatVanishesIsClosedAndReportedOnce) {
    control.toggle();
    view.progressVisible = true;
    control.portLost();
    control.portLost();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.lamp, (Rgb{0, 0, 0}));
    EXPECT_EQ(view.portButton, "打开串口");
    EXPECT_TRUE(view.portListEnabled);
    EXPECT_FALSE(view.progressVisible);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "不存在该串口,请重新选择.");
}

}  // namespace
}  // namespace pelmora
