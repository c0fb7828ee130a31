// The preview window's wiring: the context menus open it for the right show, it draws the file's
// own colours, follows the typed numbers, and goes with Escape and with its show.

#include "ui/qt/preview_window.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include "event_loop.h"
#include "qt_printers.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

class PreviewWindowTest : public WindowTest {
protected:
    // A right-click on a widget, then 预览 in the menu it brings up.
    void previewFrom(QWidget* target, const QPoint& at, const char* menuName) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        auto* menu = window->findChild<QMenu*>(QString::fromLatin1(menuName));
        ASSERT_NE(menu, nullptr) << "no menu " << menuName;
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("预览"));
        menu->actions()[0]->trigger();
        menu->close();
        spin(2);
    }
    // The menu key on datList's current entry, which the platform hands to the control with the
    // keyboard as a keyboard context menu; then 预览 with the arrow key and Return.
    void previewFromKeyboard() {
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(window->windowHandle(), &menuKey);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        spin(2);
    }
    // The keyboard back to the main window (Alt+Tab). Not qWaitForWindowActive: to Qt the main
    // window counts as active also while a window it owns has the keyboard.
    void backToMainWindow() {
        window->activateWindow();
        ASSERT_TRUE(runUntil([this] { return QGuiApplication::focusWindow() == window->windowHandle(); }));
    }
    // A key, to the window that has the keyboard.
    void press(Qt::Key key) {
        QWindow* keyboard = QGuiApplication::focusWindow();
        ASSERT_NE(keyboard, nullptr);
        QTest::keyClick(keyboard, key);
    }
    PreviewWindow* preview() { return window->findChild<PreviewWindow*>(QStringLiteral("preview")); }
    QString caption() { return preview()->findChild<QLabel*>(QStringLiteral("previewCaption"))->text(); }
    QString description() { return preview()->findChild<QLabel*>(QStringLiteral("previewDescription"))->text(); }
};

TEST_F(PreviewWindowTest, TheListsMenuPlaysThatShowInTheFilesOwnColours) {
    showWindow();
    // Show 2 in colour order GRB: the preview still draws the file's red, green and blue.
    ASSERT_TRUE(importShow(ledFile("a.led", 10, 4)));
    ASSERT_TRUE(importShow(ledFile("b.led", 3, 2)));
    control<QComboBox>("cbrgb")->setCurrentIndex(2);
    session->changeColourOrder(2);
    ASSERT_EQ(session->table().showColourOrder(2), 2);
    auto* list = control<QListWidget>("datList");
    previewFrom(list->viewport(), list->visualItemRect(list->item(1)).center(), "datListMenu");
    ASSERT_NE(preview(), nullptr);
    EXPECT_TRUE(preview()->isVisible());
    EXPECT_EQ(preview()->windowTitle(), QStringLiteral("节目预览"));
    // The frame shown now: it may have moved on by one before the test looks.
    const int f = caption().section(u' ', 1, 1).toInt() - 1;
    ASSERT_TRUE(f == 0 || f == 1) << caption().toStdString();
    EXPECT_EQ(caption(), QStringLiteral("第 %1 / 2 帧").arg(f + 1));
    EXPECT_EQ(description(), QStringLiteral("点数 3  帧数 2  字节 18  起始地址 158"));
    const QImage drawn = preview()->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(preview()->dotCentre(1)),
              QColor(patternPixel(f, 1, 0), patternPixel(f, 1, 1), patternPixel(f, 1, 2)));
    // It plays: the next frame comes by itself, at the frame time chosen in inputcbspeed.
    EXPECT_TRUE(runUntil([&] { return caption() == QStringLiteral("第 %1 / 2 帧").arg(2 - f); }));
    EXPECT_EQ(preview()->frameTimeMs(), 50);
    auto* speed = control<QComboBox>("inputcbspeed");
    speed->setCurrentIndex(0);
    emit speed->activated(0);
    EXPECT_EQ(preview()->frameTimeMs(), 10);
    EXPECT_EQ(listEntries().size(), 2u) << "the main window is as it was";
}

// From the keyboard alone: the preview takes the keyboard each time 预览 is chosen, also when it
// is up already for another show, and Escape closes it.
TEST_F(PreviewWindowTest, EscapeClosesItAndRemovingItsShowClosesIt) {
    showWindow();
    ASSERT_TRUE(importShow(ledFile("a.led", 10, 4)));
    ASSERT_TRUE(importShow(ledFile("b.led", 3, 2)));
    auto* list = control<QListWidget>("datList");
    backToMainWindow();
    list->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Home);
    previewFromKeyboard();
    ASSERT_NE(preview(), nullptr);
    ASSERT_TRUE(preview()->isVisible());
    EXPECT_EQ(description(), QStringLiteral("点数 10  帧数 4  字节 120  起始地址 38"));
    EXPECT_TRUE(preview()->isActiveWindow());
    // Back to the main window, the next entry, 预览 again.
    backToMainWindow();
    press(Qt::Key_Down);
    previewFromKeyboard();
    EXPECT_EQ(description(), QStringLiteral("点数 3  帧数 2  字节 18  起始地址 158"));
    EXPECT_TRUE(preview()->isActiveWindow());
    press(Qt::Key_Escape);
    EXPECT_FALSE(preview()->isVisible());

    previewFrom(list->viewport(), list->visualItemRect(list->item(0)).center(), "datListMenu");
    ASSERT_TRUE(preview()->isVisible());
    session->removeShow(0);
    EXPECT_FALSE(preview()->isVisible());
}

TEST_F(PreviewWindowTest, TheDialogsMenuPreviewsTheWaitingFileAsTyped) {
    showWindow();
    files.choose(ledFile("a.led", 4, 2));
    click("open");
    ASSERT_NE(parameterDialog(), nullptr);
    previewFrom(parameterDialog(), QPoint(200, 140), "inputFormMenu");
    ASSERT_NE(preview(), nullptr);
    ASSERT_TRUE(preview()->isVisible());
    EXPECT_EQ(description(), QStringLiteral("点数 4  帧数 2  字节 24  起始地址 38"));
    auto* dots = parameterDialog()->findChild<QLineEdit*>(QStringLiteral("inputdots"));
    dots->selectAll();
    QTest::keyClicks(dots, QStringLiteral("9"));
    EXPECT_EQ(description(), QStringLiteral("点数 9  帧数 2  字节 54  起始地址 38")) << "it follows the typing";
}

}  // namespace
}  // namespace pelmora::testing
