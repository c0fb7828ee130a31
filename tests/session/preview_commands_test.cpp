// The preview window's show, its frames in turn, and when it goes: at the session, on fakes.

#include <gtest/gtest.h>

#include "led_builder.h"
#include "session_harness.h"

namespace pelmora {
namespace {

using testing::makeLedFile;
using testing::patternPixel;
using testing::TempDir;

class PreviewTest : public ::testing::Test, protected testing::SessionHarness {
protected:
    PreviewTest() : SessionHarness("/opt/pelmora/bin") {}
    std::string ledFile(const std::string& name, int dots, int frames) {
        return dir.write(name, makeLedFile({.dots = dots, .frames = frames}));
    }
    void import(const std::string& path) { ASSERT_TRUE(testing::importShowAs(session, files, view, path, {}, {})); }
    testing::FakePreview& preview = view.previewWindow;
    TempDir dir;
};

TEST_F(PreviewTest, AShowPlaysItsFramesInTurnAtTheFrameTime) {
    import(ledFile("a.led", 10, 4));
    import(ledFile("b.led", 3, 2));
    session.previewShow(1);
    EXPECT_TRUE(preview.shown);
    EXPECT_EQ(preview.tickMs, 50) << "the frame time selected in inputcbspeed";
    EXPECT_EQ(preview.picture.caption, "第 1 / 2 帧");
    EXPECT_EQ(preview.picture.description, "点数 3  帧数 2  字节 18  起始地址 158");
    ASSERT_EQ(preview.overview.size(), 2u);
    ASSERT_EQ(preview.picture.frame.dots.size(), 3u);
    EXPECT_EQ(preview.picture.frame.dots[2].red, patternPixel(0, 2, 0));
    session.previewTick();
    EXPECT_EQ(preview.picture.caption, "第 2 / 2 帧");
    EXPECT_EQ(preview.picture.frame.dots[2].blue, patternPixel(1, 2, 2));
    session.previewTick();
    EXPECT_EQ(preview.picture.caption, "第 1 / 2 帧") << "and round again";
    EXPECT_EQ(view.entries.size(), 2u) << "nothing else changed";
}

TEST_F(PreviewTest, AnotherFrameTimeTakesEffectWhileItPlays) {
    import(ledFile("a.led", 10, 4));
    session.changeFrameTime(0);  // 10毫秒
    EXPECT_EQ(preview.tickMs, 0) << "no preview, nothing to tell";
    session.previewShow(0);
    EXPECT_EQ(preview.tickMs, 10);
    session.changeFrameTime(19);  // 200毫秒
    EXPECT_EQ(preview.tickMs, 200);
    EXPECT_EQ(preview.picture.caption, "第 1 / 4 帧") << "the same frame, only the tick changed";
    session.previewClosed();
    session.changeFrameTime(4);
    EXPECT_EQ(preview.tickMs, 200);
}

TEST_F(PreviewTest, RemovingTheShowClosesItsPreviewAndALaterShowFollowsItDown) {
    import(ledFile("a.led", 10, 4));
    import(ledFile("b.led", 3, 2));
    import(ledFile("c.led", 5, 1));
    session.previewShow(2);
    session.removeShow(0);
    EXPECT_TRUE(preview.shown);
    session.previewTick();
    EXPECT_EQ(preview.picture.description, "点数 5  帧数 1  字节 15  起始地址 56") << "c, now show 2";
    session.removeShow(1);
    EXPECT_FALSE(preview.shown);
    session.previewShow(7);
    EXPECT_FALSE(preview.shown) << "no such entry";
}

TEST_F(PreviewTest, TheWaitingFileFollowsTheTypedNumbersAndGoesWithTheDialog) {
    files.choose(ledFile("a.led", 4, 2));
    session.openLedFile();
    session.previewPending();
    EXPECT_TRUE(preview.shown);
    EXPECT_EQ(preview.picture.description, "点数 4  帧数 2  字节 24  起始地址 38");
    // A wrong dot count shows at once; what lies past the file is missing.
    typeNumber(session, view, NumberField::dots, "200");
    EXPECT_EQ(preview.picture.frame.dotCount, 200);
    EXPECT_TRUE(preview.picture.frame.dots[4].present);
    typeNumber(session, view, NumberField::frames, "3");
    EXPECT_EQ(preview.overview.size(), 3u);
    session.previewTick();
    session.previewTick();
    EXPECT_EQ(preview.picture.caption, "第 3 / 3 帧");
    EXPECT_FALSE(preview.picture.frame.dots[0].present) << "a third frame the file does not have";
    session.closeInputForm();
    EXPECT_FALSE(preview.shown);
}

TEST_F(PreviewTest, ClosedByTheUserItStaysClosedAndTicksDoNothing) {
    session.previewPending();
    EXPECT_FALSE(preview.shown) << "no file is waiting";
    import(ledFile("a.led", 10, 4));
    session.previewShow(0);
    session.previewClosed();
    EXPECT_FALSE(preview.shown);
    const std::string caption = preview.picture.caption;
    session.previewTick();
    EXPECT_EQ(preview.picture.caption, caption);
}

}  // namespace
}  // namespace pelmora
