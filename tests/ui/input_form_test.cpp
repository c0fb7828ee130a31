// The parameter dialog of the window: its layout, the key filter and the minimum-one rule as the
// user meets them in its boxes, and what its OK and its closing do.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "qt_printers.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

const QColor purple(192, 0, 192);

// The window's own dialog, made as the window makes it on first use and not shown yet, with its
// events going to the session.
class InputFormTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form = dynamic_cast<InputFormWindow*>(&window->inputForm());
        ASSERT_NE(form, nullptr);
        dots = form->findChild<QLineEdit*>(QStringLiteral("inputdots"));
        frames = form->findChild<QLineEdit*>(QStringLiteral("inputframes"));
        ASSERT_NE(dots, nullptr);
        ASSERT_NE(frames, nullptr);
    }

    void showForm() {
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    }

    // The dialog as an open command leaves it for a file of one dot and one frame: shown, with a
    // show waiting for OK.
    void openOneDotFile() {
        files.choose(ledFile("one.led", 1, 1));
        click("open");
        ASSERT_EQ(parameterDialog(), form);
        ASSERT_TRUE(form->isVisible());
    }

    // A key press as the keyboard delivers it: a key and the text it types.
    static void typeKey(QWidget* box, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QTest::sendKeyEvent(QTest::Click, box, key, text, modifiers);
    }

    static void paste(QLineEdit* box, const QString& text) {
        QApplication::clipboard()->setText(text);
        box->selectAll();
        box->paste();
    }

    InputFormWindow* form = nullptr;
    QLineEdit* dots = nullptr;
    QLineEdit* frames = nullptr;
};

using ParameterDialogLayout = InputFormTest;

TEST_F(ParameterDialogLayout, IsAFixedWindowInFrontOfTheMainWindowThatIsNotModal) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("设置参数"));
    EXPECT_TRUE(form->isWindow());
    // Owned by the main window, so that a click there cannot bury it.
    EXPECT_EQ(form->parentWidget(), window.get());
    EXPECT_EQ(form->windowModality(), Qt::NonModal);
    EXPECT_EQ(form->size(), QSize(269, 152));
    EXPECT_EQ(form->minimumSize(), QSize(269, 152));
    EXPECT_EQ(form->maximumSize(), QSize(269, 152));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form->windowIcon().isNull());
    // The standard dialog background, not the main window's colour.
    EXPECT_EQ(form->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 9);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ParameterDialogLayout, OpensWhereItCoversNoneOfTheMainWindowsButtons) {
    showWindow();
    openOneDotFile();
    const QRect dialog = form->frameGeometry();
    for (const char* name : {"open", "comsend", "opencom"}) {
        const auto* button = control<QPushButton>(name);
        EXPECT_FALSE(dialog.intersects(QRect(button->mapToGlobal(QPoint(0, 0)), button->size()))) << name;
    }
    EXPECT_TRUE(form->screen()->availableGeometry().contains(dialog));
}

TEST_F(ParameterDialogLayout, EveryControlHasItsPlaceTextFontAndColour) {
    struct Expected {
        const char* name;
        const char* className;
        QString text;
        QRect geometry;
        qreal pointSize;
        bool bold;
        QColor colour;
    };
    const QString hint = QStringLiteral("(如不正确,请手动输入)");
    const Expected table[] = {
        {"inputformcaption", "QLabel", "参数", {120, 15, 31, 14}, 10.5, true, QColor(255, 0, 0)},
        {"Label1", "QLabel", "全彩点数", {18, 51, 56, 14}, 10.5, false, purple},
        {"inputdots", "QLineEdit", "1", {81, 48, 52, 19}, 10.5, true, purple},
        {"Label5", "QLabel", hint, {135, 51, 126, 12}, 9, false, purple},
        {"Label2", "QLabel", "节目帧数", {18, 78, 56, 14}, 10.5, false, purple},
        {"inputframes", "QLineEdit", "1", {81, 75, 52, 21}, 10.5, true, purple},
        {"Label6", "QLabel", hint, {135, 81, 126, 12}, 9, false, purple},
        {"inputok", "QPushButton", "确定", {93, 114, 76, 28}, 9, false, {}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        auto* w = form->findChild<QWidget*>(QString::fromLatin1(e.name));
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->inherits(e.className));
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(label->text(), e.text);
            EXPECT_EQ(label->pos(), e.geometry.topLeft());
            EXPECT_EQ(label->size(), label->sizeHint());
            EXPECT_EQ(label->palette().color(QPalette::WindowText), e.colour);
        } else {
            EXPECT_EQ(w->geometry(), e.geometry);
        }
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            EXPECT_EQ(box->text(), e.text);
            EXPECT_TRUE(box->alignment().testFlag(Qt::AlignHCenter));
            EXPECT_FALSE(box->isReadOnly());
            EXPECT_EQ(box->palette().color(QPalette::Text), e.colour);
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), e.text);
            EXPECT_FALSE(button->isDefault());
            EXPECT_FALSE(button->autoDefault());
        }
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), e.pointSize);
        EXPECT_EQ(w->font().bold(), e.bold);
        const QFontMetrics metrics(w->font());
        for (const QChar c : e.text)
            EXPECT_TRUE(metrics.inFont(c)) << "no glyph for U+" << std::hex << static_cast<int>(c.unicode());
    }
    EXPECT_TRUE(form->findChild<QLabel*>(QStringLiteral("inputformcaption"))->alignment().testFlag(Qt::AlignHCenter));
}

TEST_F(ParameterDialogLayout, DotsHaveTheFocusAndTabGoesToFramesThenOk) {
    showForm();
    ASSERT_EQ(QApplication::focusWidget(), dots);
    QTest::keyClick(dots, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frames);
    QTest::keyClick(frames, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("inputok"));
}

TEST_F(ParameterDialogLayout, CaptionTakesTheSizeOfItsNewText) {
    form->setCaption("输入第 1 个节目参数");
    auto* caption = form->findChild<QLabel*>(QStringLiteral("inputformcaption"));
    EXPECT_EQ(caption->text(), QStringLiteral("输入第 1 个节目参数"));
    EXPECT_EQ(caption->pos(), QPoint(120, 15));
    EXPECT_EQ(caption->size(), caption->sizeHint());
    EXPECT_GT(caption->width(), 31);
}

using KeyFilter = InputFormTest;

TEST_F(KeyFilter, LettersSignsPointSpaceAndPunctuationAreRefused) {
    showForm();
    for (QLineEdit* box : {dots, frames}) {
        box->setText("7");
        box->end(false);
        QTest::keyClicks(box, "aZ-+. ,/:~@");
        EXPECT_EQ(box->text(), QStringLiteral("7"));
    }
}

TEST_F(KeyFilter, EnterEscapeAndControlCharactersAreRefusedAndDoNothing) {
    showForm();
    dots->setText("7");
    dots->end(false);
    QTest::keyClick(dots, Qt::Key_Return);
    QTest::keyClick(dots, Qt::Key_Enter);
    QTest::keyClick(dots, Qt::Key_Escape);
    typeKey(dots, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    typeKey(dots, Qt::Key_Z, QString(QChar(26)), Qt::ControlModifier);
    typeKey(dots, Qt::Key_Escape, QString(QChar(27)));
    typeKey(dots, Qt::Key_unknown, QString(QChar(31)));
    EXPECT_EQ(dots->text(), QStringLiteral("7"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(parameterDialog(), form) << "not closed";
    EXPECT_TRUE(listEntries().empty()) << "no OK";
}

TEST_F(KeyFilter, CtrlVPastesNothing) {
    showForm();
    QApplication::clipboard()->setText(QStringLiteral("99"));
    dots->setText("7");
    dots->end(false);
    // The keyboard sends Ctrl+V as code 22.
    typeKey(dots, Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
    QTest::keyClick(dots, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dots->text(), QStringLiteral("7"));
}

TEST_F(KeyFilter, DigitsBackspaceAndHighCodesAreAccepted) {
    showForm();
    dots->selectAll();
    QTest::keyClicks(dots, "12");
    EXPECT_EQ(dots->text(), QStringLiteral("12"));
    QTest::keyClicks(dots, "3456789");
    EXPECT_EQ(dots->text(), QStringLiteral("123456789"));
    QTest::keyClick(dots, Qt::Key_Backspace);
    EXPECT_EQ(dots->text(), QStringLiteral("12345678"));

    // U+4E2D (中) is 20013 as a signed 16-bit code: 127 and above pass, like DEL (127) and é.
    typeKey(dots, Qt::Key_unknown, QStringLiteral("中"));
    typeKey(dots, Qt::Key_unknown, QString(QChar(0x00E9)));
    EXPECT_EQ(dots->text(), QStringLiteral("12345678中é"));
}

TEST_F(KeyFilter, CodesFromU8000UpAreNegativeAndRefused) {
    showForm();
    frames->setText("5");
    frames->end(false);
    typeKey(frames, Qt::Key_unknown, QString(QChar(0x9F8D)));  // 龍, -24691 as a signed 16-bit code
    typeKey(frames, Qt::Key_unknown, QString(QChar(0xFF10)));  // full-width zero
    EXPECT_EQ(frames->text(), QStringLiteral("5"));
}

TEST_F(KeyFilter, KeysThatTypeNothingStillWork) {
    showForm();
    dots->setText("34");
    dots->end(false);
    QTest::keyClick(dots, Qt::Key_Home);
    QTest::keyClick(dots, Qt::Key_Right);
    QTest::keyClicks(dots, "9");
    EXPECT_EQ(dots->text(), QStringLiteral("394"));
    QTest::keyClick(dots, Qt::Key_Left);
    QTest::keyClick(dots, Qt::Key_Delete);
    EXPECT_EQ(dots->text(), QStringLiteral("34"));
}

TEST_F(KeyFilter, InputMethodCommitsGoThroughTheSameFilter) {
    showForm();
    frames->setText("2");
    frames->end(false);
    QInputMethodEvent letter;
    letter.setCommitString(QStringLiteral("a"));
    QApplication::sendEvent(frames, &letter);
    EXPECT_EQ(frames->text(), QStringLiteral("2"));
    QInputMethodEvent digit;
    digit.setCommitString(QStringLiteral("4"));
    QApplication::sendEvent(frames, &digit);
    EXPECT_EQ(frames->text(), QStringLiteral("24"));
}

using MinimumOne = InputFormTest;

TEST_F(MinimumOne, DeletingTheLastCharacterLeavesOne) {
    showForm();
    dots->setText("5");
    dots->end(false);
    QTest::keyClick(dots, Qt::Key_Backspace);
    EXPECT_EQ(dots->text(), QStringLiteral("1"));
    frames->setText("5");
    frames->home(false);
    QTest::keyClick(frames, Qt::Key_Delete);
    EXPECT_EQ(frames->text(), QStringLiteral("1"));
}

TEST_F(MinimumOne, TypingZeroOverTheWholeTextGivesOne) {
    showForm();
    dots->setText("25");
    dots->selectAll();
    QTest::keyClicks(dots, "0");
    EXPECT_EQ(dots->text(), QStringLiteral("1"));
    // Typing on after the rule: 1 then 2 gives 12.
    dots->end(false);
    QTest::keyClicks(dots, "2");
    EXPECT_EQ(dots->text(), QStringLiteral("12"));
}

// The session rules its own texts before it writes them: what it sets is no edit to rule again.
TEST_F(MinimumOne, TextsSetByTheSessionStandAsWritten) {
    form->setNumberText(NumberField::dots, "0");
    EXPECT_EQ(dots->text(), QStringLiteral("0"));
    form->setNumberText(NumberField::frames, "2.5");
    EXPECT_EQ(frames->text(), QStringLiteral("2.5"));
}

TEST_F(MinimumOne, PastedTextsKeepTheirValueOrBecomeOne) {
    paste(dots, "12abc");
    EXPECT_EQ(dots->text(), QStringLiteral("12abc"));
    paste(dots, "abc");
    EXPECT_EQ(dots->text(), QStringLiteral("1"));
    paste(frames, "0.5");
    EXPECT_EQ(frames->text(), QStringLiteral("1"));
    paste(frames, "2.5");
    EXPECT_EQ(frames->text(), QStringLiteral("2.5"));
    paste(frames, "1");
    EXPECT_EQ(frames->text(), QStringLiteral("1"));
}

using ParameterDialogEvents = InputFormTest;

TEST_F(ParameterDialogEvents, OkHandsOverOnceAndDoesNothingElse) {
    openOneDotFile();
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("inputok")), Qt::LeftButton);
    EXPECT_EQ(listEntries().size(), 1u) << "one click, one show";
    EXPECT_EQ(parameterDialog(), form) << "OK does not close the dialog";
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dots->text(), QStringLiteral("1"));
    EXPECT_EQ(frames->text(), QStringLiteral("1"));
}

TEST_F(ParameterDialogEvents, ClosingIsReportedAndCannotBeRefused) {
    openOneDotFile();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(window->inputFormWindow(), nullptr) << "the session had the window discard the closed dialog";
    EXPECT_TRUE(listEntries().empty()) << "closing is no OK";
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ParameterDialogEvents, ShowAndHideAreWhatTheSessionSees) {
    EXPECT_FALSE(form->isVisible());
    form->show();
    EXPECT_TRUE(form->isVisible());
    form->show();  // shown already: stays shown
    EXPECT_TRUE(form->isVisible());
    form->hide();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(parameterDialog(), form) << "hiding is no closing";
}

}  // namespace
}  // namespace pelmora::testing
