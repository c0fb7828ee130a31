// The parameter dialog of the Qt window (its layout, focus order and the texts the session writes
// are in the suite of both front-ends): the key filter and the minimum-one rule as the user meets
// them in its boxes, and what its OK and its closing do.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "qt_printers.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

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

// Owned by the main window, so that a click there cannot bury it; not modal.
TEST_F(ParameterDialogLayout, IsAFixedWindowInFrontOfTheMainWindowThatIsNotModal) {
    EXPECT_TRUE(form->isWindow());
    EXPECT_EQ(form->parentWidget(), window.get());
    EXPECT_EQ(form->windowModality(), Qt::NonModal);
    EXPECT_EQ(form->minimumSize(), QSize(269, 152));
    EXPECT_EQ(form->maximumSize(), QSize(269, 152));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form->windowIcon().isNull());
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

using KeyFilter = InputFormTest;

TEST_F(KeyFilter, EnterEscapeAndControlKeysAreRefusedAndDoNothing) {
    showForm();
    dots->setText("7");
    dots->end(false);
    QTest::keyClick(dots, Qt::Key_Return);
    QTest::keyClick(dots, Qt::Key_Enter);
    QTest::keyClick(dots, Qt::Key_Escape);
    typeKey(dots, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    typeKey(dots, Qt::Key_Z, QString(QChar(26)), Qt::ControlModifier);
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
    dots->end(false);
    QTest::keyClick(dots, Qt::Key_Backspace);
    EXPECT_EQ(dots->text(), QStringLiteral("3"));
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

}  // namespace
}  // namespace pelmora::testing
