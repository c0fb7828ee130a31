// Texts pasted into the parameter dialog of the real window and confirmed with OK: 10,000
// characters, "1e400", "nan", "-0", Chinese text, numbers at and past the 32-bit limits. Each
// either becomes the number it stands for (after the minimum-one rule) or is refused with the
// message for numbers beyond the file, the table and the list untouched and the dialog still up.
// Then a download brings the controller exactly the shows that were accepted.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>

#include "../ui/window_fixture.h"
#include "fault_support.h"

namespace pelmora::testing {
namespace {

enum class Outcome { accepted, beyondFile, overCapacity };

struct PastedTexts {
    const char* name;
    std::string dots, frames;
    std::string dotsShown, framesShown;  // what the boxes hold after the paste
    Outcome outcome = Outcome::beyondFile;
    int acceptedDots = 0, acceptedFrames = 0;
};

std::ostream& operator<<(std::ostream& out, const PastedTexts& texts) { return out << texts.name; }

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

const std::string chinese10k = repeated("中", 10000);
const std::string leadingZeros10k = std::string(9998, '0') + "50";
const std::string nines10k(10000, '9');
const std::string threeThenChinese = "3" + repeated("点", 9999);

class PastedDialogTexts : public WindowTest, public ::testing::WithParamInterface<PastedTexts> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        showWindow();
        // One show loaded already; the dialog then waits with a file of 100 dots and 10 frames.
        const Bytes loaded = makeLedFile({.dots = 20, .frames = 5, .sectorsMinusOne = 1});
        shows.push_back({folder.write("loaded.led", loaded), loaded, 20, 5});
        ASSERT_TRUE(importShow(shows.back().path, 20, 5));
        ASSERT_TRUE(messages.shown.empty());
        pendingFile = makeLedFile({.dots = 100, .frames = 10});
        files.choose(folder.write("pending.led", pendingFile));
        click("open");
        ASSERT_NE(parameterDialog(), nullptr);
        ASSERT_TRUE(parameterDialog()->isVisible());
    }

    QLineEdit* box(const char* name) { return parameterDialog()->findChild<QLineEdit*>(QString::fromLatin1(name)); }

    static void paste(QLineEdit* box, const std::string& text) {
        QApplication::clipboard()->setText(QString::fromStdString(text));
        box->selectAll();
        box->paste();
    }

    void clickOk() { QTest::mouseClick(parameterDialog()->findChild<QPushButton*>("inputok"), Qt::LeftButton); }

    // A download over the fake port, with the emulated controller answering.
    void expectTheControllerGetsTheShows() {
        if (!port.isOpen()) click("opencom");
        ASSERT_TRUE(port.isOpen());
        emulator::ControllerEmulator controller;
        std::size_t taken = port.writes.size();
        click("comsend");
        playController(port, controller, taken);
        ASSERT_TRUE(controller.complete());
        EXPECT_EQ(controller.image(), expectedImage(shows, 0, 5));
    }

    std::vector<KnownShow> shows;
    Bytes pendingFile;
};

TEST_P(PastedDialogTexts, BecomeTheirNumberOrAreRefusedWithNothingChanged) {
    const PastedTexts& texts = GetParam();
    const auto slotBefore = session->table().slot(1);
    const Bytes bytesBefore(slotBefore.begin(), slotBefore.end());

    paste(box("inputdots"), texts.dots);
    paste(box("inputframes"), texts.frames);
    EXPECT_EQ(box("inputdots")->text().toStdString(), texts.dotsShown);
    EXPECT_EQ(box("inputframes")->text().toStdString(), texts.framesShown);
    clickOk();

    if (texts.outcome == Outcome::beyondFile) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "注意");
        EXPECT_EQ(messages.shown[0].text, "点数或帧数超出了文件中的数据,请重新输入.");
        EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
        EXPECT_TRUE(parameterDialog()->isVisible()) << "the dialog stays for a correction";
        const auto slotAfter = session->table().slot(1);
        EXPECT_TRUE(Bytes(slotAfter.begin(), slotAfter.end()) == bytesBefore) << "the whole slot is untouched";
        // Corrected numbers then go through.
        messages.shown.clear();
        paste(box("inputdots"), "100");
        paste(box("inputframes"), "10");
        clickOk();
        EXPECT_TRUE(messages.shown.empty());
        shows.push_back({(folder.path() / "pending.led").string(), pendingFile, 100, 10});
    } else if (texts.outcome == Outcome::overCapacity) {
        // Numbers that fit 32 bits but not the controller: the capacity message, the dialog closes.
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "注意");
        EXPECT_EQ(messages.shown[0].text, "文件长度超出了控制器的容量.");
        EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::none);
        EXPECT_FALSE(parameterDialog()->isVisible());
    } else {
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text;
        EXPECT_FALSE(parameterDialog()->isVisible());
        shows.push_back(
            {(folder.path() / "pending.led").string(), pendingFile, texts.acceptedDots, texts.acceptedFrames});
    }
    expectShowsAsImported(session->table(), listEntries(), shows, 0);
    expectTheControllerGetsTheShows();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PastedDialogTexts,
    ::testing::Values(
        // Accepted: the number at the start of the text, or 1 where the text is worth less.
        PastedTexts{"TenThousandCharactersWithLeadingZeros", leadingZeros10k, "10", leadingZeros10k, "10",
                    Outcome::accepted, 50, 10},
        PastedTexts{"ADigitThenChineseText", threeThenChinese, "7", threeThenChinese, "7", Outcome::accepted, 3, 7},
        PastedTexts{"TenThousandChineseCharacters", chinese10k, chinese10k, "1", "1", Outcome::accepted, 1, 1},
        PastedTexts{"Nan", "nan", "nan", "1", "1", Outcome::accepted, 1, 1},
        PastedTexts{"MinusZero", "-0", "-0", "1", "1", Outcome::accepted, 1, 1},
        PastedTexts{"ChineseNumerals", "十二", "七", "1", "1", Outcome::accepted, 1, 1},
        PastedTexts{"LowestInt32", "-2147483648", "4", "1", "4", Outcome::accepted, 1, 4},
        // Refused: too large for the controller, the file, 32 bits or any number at all.
        PastedTexts{"TenThousandNines", nines10k, "10", nines10k, "10"},
        PastedTexts{"DotsOf1e400", "1e400", "10", "1e400", "10"},
        PastedTexts{"FramesOf1e400", "100", "1e400", "100", "1e400"},
        PastedTexts{"DotsWhoseBytesJustFit32Bits", "715827882", "1", "715827882", "1", Outcome::overCapacity},
        PastedTexts{"DotsWhoseBytesPass32Bits", "715827883", "1", "715827883", "1"},
        PastedTexts{"DotsAtInt32Max", "2147483647", "1", "2147483647", "1"},
        PastedTexts{"DotsPastInt32Max", "2147483648", "1", "2147483648", "1"},
        PastedTexts{"DotsPastUint32Max", "4294967296", "1", "4294967296", "1"},
        PastedTexts{"FramesAtInt32Max", "1", "2147483647", "1", "2147483647"},
        PastedTexts{"FramesPastInt32Max", "1", "2147483648", "1", "2147483648"},
        PastedTexts{"SizePast32Bits", "10", "71582789", "10", "71582789"},
        PastedTexts{"BothAtInt32Max", "2147483647", "2147483647", "2147483647", "2147483647"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelmora::testing
