#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "led_builder.h"
#include "same_bytes.h"
#include "session_harness.h"

namespace pelmora {
namespace {

using testing::LedFileSpec;
using testing::makeLedFile;
using testing::TempDir;

class ImportTest : public ::testing::Test, protected testing::SessionHarness {
protected:
    ImportTest() : SessionHarness("/opt/pelmora/bin") {}
    std::string ledFile(const std::string& name, int dots, int frames, std::uint8_t sectorsMinusOne = 0) {
        LedFileSpec led;
        led.dots = dots;
        led.frames = frames;
        led.sectorsMinusOne = sectorsMinusOne;
        led.headerPixelBytes = std::min(dots * 3, 32767);  // the header cannot say more
        return dir.write(name, makeLedFile(led));
    }
    // Open `path` and confirm the dialog with the given texts (the preset when empty).
    void import(const std::string& path, const std::string& dots = {}, const std::string& frames = {}) {
        const auto typed = [](const std::string& t) { return t.empty() ? std::nullopt : std::optional(t); };
        testing::importShowAs(session, files, view, path, typed(dots), typed(frames));
        ASSERT_NE(view.input(), nullptr) << path;
    }
    const ShowTable& table = session.table();
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages.shown) texts.push_back(m.text);
        return texts;
    }

    TempDir dir;
};

TEST_F(ImportTest, OpenCommandSetsUpTheFileDialog) {
    session.openLedFile();
    ASSERT_EQ(files.asked.size(), 1u);
    const auto& s = files.asked[0];
    EXPECT_EQ(s.initialDir, "/opt/pelmora/bin");
    EXPECT_EQ(s.filterName, "dat files (*.led)");
    EXPECT_EQ(s.filterPattern, "*.led");
    EXPECT_EQ(s.filterIndex, 1);
    EXPECT_TRUE(s.allowMultiSelect);
    EXPECT_FALSE(s.namesMustExist);
    EXPECT_EQ(s.title, "打开led文件");
}

TEST_F(ImportTest, OpenCommandPresetsTheDialogFromTheFile) {
    view.setStatus("old");
    view.progressVisible = true;
    files.choose(ledFile("a.led", 100, 10));
    session.openLedFile();
    ASSERT_NE(view.input(), nullptr);
    EXPECT_TRUE(view.input()->shown);
    EXPECT_EQ(view.input()->caption, "输入第 1 个节目参数");
    EXPECT_EQ(view.input()->dots, "100");
    EXPECT_EQ(view.input()->frames, "10");
    EXPECT_EQ(view.status, "");
    EXPECT_FALSE(view.progressVisible);
    EXPECT_TRUE(messages.shown.empty());
}

// A file dropped onto the window is opened as if the file dialog had chosen it, without the
// dialog; several dropped at once get the refusal of several chosen there.
TEST_F(ImportTest, DroppedFilesRunTheOpenCommandWithoutTheFileDialog) {
    view.progressVisible = true;
    session.openDroppedFiles({ledFile("a.led", 100, 10)});
    EXPECT_TRUE(files.asked.empty());
    ASSERT_NE(view.input(), nullptr);
    EXPECT_TRUE(view.input()->shown);
    EXPECT_EQ(view.input()->dots, "100");
    EXPECT_EQ(view.input()->frames, "10");
    EXPECT_FALSE(view.progressVisible);
    EXPECT_TRUE(messages.shown.empty());

    session.openDroppedFiles({ledFile("b.led", 10, 1), ledFile("c.led", 10, 1)});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].text, "你没有打开任何文件或找开了错误的文件!");
    session.openDroppedFiles({dir.write("not-led.txt", Bytes(5, 1))});
    EXPECT_EQ(messages.shown.size(), 2u) << "a file that is no LED file is refused as from the dialog";
    session.openDroppedFiles({});
    EXPECT_EQ(messages.shown.size(), 2u) << "a drop of nothing does nothing";
    EXPECT_TRUE(files.asked.empty());
}

TEST_F(ImportTest, AFileOfOnlyAHeaderPresetsOneFrame) {
    files.choose(dir.write("header.led", Bytes(512, 0)));
    session.openLedFile();
    EXPECT_EQ(view.input()->frames, "1");
    EXPECT_EQ(view.input()->dots, "1");
}

TEST_F(ImportTest, EveryFailureOfTheOpenCommandGivesTheOneWarning) {
    Bytes highByte1(600, 0), byte16(600, 0);
    highByte1[1] = 0x80;
    byte16[16] = 63;
    files.cancel();
    files.chooseSeveral();
    files.choose((dir.path() / "missing.led").string());
    files.choose(dir.path().string());
    files.choose(dir.write("short.led", Bytes(16, 1)));
    files.choose(dir.write("empty.led", {}));
    files.choose(dir.write("high.led", highByte1));
    files.choose(dir.write("stride.led", byte16));
    for (int i = 0; i < 8; ++i) {
        view.progressVisible = true;
        session.openLedFile();
        EXPECT_FALSE(view.progressVisible) << i;
    }
    ASSERT_EQ(messages.shown.size(), 8u);
    for (const auto& m : messages.shown) {
        EXPECT_EQ(m.title, "注意");
        EXPECT_EQ(m.text, "你没有打开任何文件或找开了错误的文件!");
        EXPECT_EQ(m.icon, MessageBox::Icon::exclamation);
    }
    EXPECT_EQ(view.input(), nullptr);
    EXPECT_EQ(table.showCount(), 0);
}

TEST_F(ImportTest, AppendAddsTheShowListsItAndRefreshesTheIndicator) {
    const auto path = ledFile("a.led", 100, 10);
    view.setStatus("x");
    import(path);
    EXPECT_EQ(table.showCount(), 1);
    EXPECT_EQ(table.showFrameBytes(1), 300);
    EXPECT_EQ(table.showFrames(1), 10);
    EXPECT_EQ(table.showSize(1), 3000);
    EXPECT_EQ(table.showOffset(1), 3038);
    EXPECT_EQ(view.entries, std::vector<std::string>{path});
    EXPECT_EQ(view.sizeText, "4.97%");
    EXPECT_EQ(view.usedValue, 3000);
    EXPECT_EQ(view.status, "");
    EXPECT_FALSE(view.input()->shown);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportTest, AppendTakesTheNumbersAsTheUserLeftThem) {
    import(ledFile("a.led", 100, 10), "50", "4");
    EXPECT_EQ(table.showSize(1), 600);
    import(ledFile("b.led", 100, 10), "2.5", "3.5");  // rounded half to even: 2 dots, 4 frames
    EXPECT_EQ(table.showFrameBytes(2), 6);
    EXPECT_EQ(table.showFrames(2), 4);
    import(ledFile("c.led", 100, 10), "12abc", "1");
    EXPECT_EQ(table.showFrameBytes(3), 36);
}

TEST_F(ImportTest, TheCaptionNamesTheNextShow) {
    const auto path = ledFile("a.led", 2, 2);
    for (int s = 1; s <= 5; ++s) import(path);
    files.choose(path);
    session.openLedFile();
    EXPECT_EQ(view.input()->caption, "输入第 6 个节目参数");
}

TEST_F(ImportTest, ASixthShowIsRefusedAndTheDialogStays) {
    const auto path = ledFile("a.led", 2, 2);
    for (int s = 1; s <= 5; ++s) import(path);
    files.choose(path);
    session.openLedFile();
    session.appendShow();
    session.appendShow();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "最多只能5个文件");
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
    EXPECT_TRUE(view.input()->shown);
    EXPECT_EQ(table.showCount(), 5);
    EXPECT_EQ(view.entries.size(), 5u);
}

TEST_F(ImportTest, OverCapacityIsRefusedWithEverythingAsBefore) {
    import(ledFile("big.led", 20000, 1), "20000", "1");  // 60000 bytes
    ASSERT_EQ(table.showCount(), 1);
    ASSERT_EQ(view.sizeText, "99.37%");
    view.setStatus("kept");
    import(ledFile("small.led", 127, 1), "127", "1");  // 60381 in all
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "文件长度超出了控制器的容量.");
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::none);
    EXPECT_EQ(table.showCount(), 1);
    EXPECT_EQ(table.usedBytes(), 60000);
    EXPECT_EQ(view.entries.size(), 1u);
    EXPECT_EQ(view.sizeText, "99.37%");
    EXPECT_FALSE(view.input()->shown);

    import(ledFile("exact.led", 126, 1), "126", "1");  // 60378 exactly
    EXPECT_EQ(table.showCount(), 2);
    EXPECT_EQ(view.sizeText, "100.00%");
}

TEST_F(ImportTest, NumbersBeyondTheFileAreRefusedAndTheDialogStaysForCorrection) {
    import(ledFile("a.led", 10, 2));
    const std::vector<std::uint8_t> before(table.slot(1).begin(), table.slot(1).end());
    const auto path = ledFile("b.led", 100, 10);
    for (const auto& [dots, frames] : std::vector<std::pair<std::string, std::string>>{{"100", "11"},
                                                                                       {"200", "10"},
                                                                                       {"2147483647", "2147483647"},
                                                                                       {"1e400", "1"},
                                                                                       {"1", "99999999999999999999"}}) {
        messages.shown.clear();
        import(path, dots, frames);
        ASSERT_EQ(messages.shown.size(), 1u) << dots << " " << frames;
        EXPECT_EQ(messages.shown[0].text, "点数或帧数超出了文件中的数据,请重新输入.");
        EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
        EXPECT_TRUE(view.input()->shown);
        EXPECT_EQ(table.showCount(), 1);
        EXPECT_EQ(table.usedBytes(), 60);
        EXPECT_EQ(view.entries.size(), 1u);
    }
    EXPECT_TRUE(sameBytes(table.slot(1), before));
    // Corrected numbers then go through.
    typeNumber(session, view, NumberField::frames, "10");
    typeNumber(session, view, NumberField::dots, "100");
    session.appendShow();
    EXPECT_EQ(table.showCount(), 2);
}

TEST_F(ImportTest, ThePendingImportKeepsItsOwnFile) {
    const auto good = ledFile("good.led", 4, 2);
    files.choose(good);
    session.openLedFile();
    // A later open that fails replaces what was read last, but not what OK will append.
    files.choose(dir.write("bad.led", Bytes(10, 0)));
    session.openLedFile();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "你没有打开任何文件或找开了错误的文件!");
    EXPECT_TRUE(view.input()->shown);
    std::filesystem::remove(good);  // nothing is read again at OK time
    session.appendShow();
    ASSERT_EQ(table.showCount(), 1);
    EXPECT_EQ(view.entries, std::vector<std::string>{good});
    LedFileSpec led;
    led.dots = 4;
    led.frames = 2;
    const Bytes expected = makeLedFile(led);
    EXPECT_TRUE(std::equal(expected.begin() + 512, expected.begin() + 524, table.slot(1).begin()));
    EXPECT_TRUE(std::equal(expected.begin() + 1024, expected.begin() + 1036, table.slot(1).begin() + 12));
}

TEST_F(ImportTest, ClosingTheDialogAddsNothingAndANewOpenCreatesItAfresh) {
    files.choose(ledFile("a.led", 100, 10));
    session.openLedFile();
    typeNumber(session, view, NumberField::dots, "7");
    view.setStatus("busy");
    session.closeInputForm();
    EXPECT_EQ(view.input(), nullptr);
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(table.showCount(), 0);
    EXPECT_TRUE(view.entries.empty());

    files.choose(ledFile("b.led", 5, 3));
    session.openLedFile();
    EXPECT_EQ(view.formsCreated, 2);
    EXPECT_EQ(view.input()->dots, "5");
}

TEST_F(ImportTest, RemovalTakesOutTheSelectedEntryOrTheOnlyOne) {
    const auto a = ledFile("a.led", 100, 1), b = ledFile("b.led", 100, 2), c = ledFile("c.led", 100, 3);
    import(a);
    import(b);
    import(c);
    session.removeShow(-1);  // a double-click on the blank part of the list
    EXPECT_EQ(table.showCount(), 3);
    EXPECT_EQ(view.entries.size(), 3u);

    view.setStatus("x");
    session.removeShow(0);
    EXPECT_EQ(view.entries, (std::vector<std::string>{b, c}));
    EXPECT_EQ(table.usedBytes(), 1500);
    EXPECT_EQ(view.sizeText, "2.48%");
    EXPECT_EQ(view.status, "");

    session.removeShow(1);
    EXPECT_EQ(view.entries, (std::vector<std::string>{b}));
    session.removeShow(-1);  // one entry left: a double-click anywhere in the list removes it
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(view.sizeText, "0.00%");
    EXPECT_EQ(view.usedValue, 0);
    session.removeShow(0);  // an empty list
    EXPECT_EQ(table.showCount(), 0);
}

}  // namespace
}  // namespace pelmora
