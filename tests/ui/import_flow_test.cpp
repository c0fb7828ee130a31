// The whole import as a user does it in the window: open, the parameter dialog, OK, the list and
// the used-memory indicator; closing the dialog; removing a show; closing the tool.

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "event_loop.h"
#include "qt_printers.h"
#include "session/texts.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

class ImportFlow : public WindowTest {
protected:
    void clickOpen() { QTest::mouseClick(control<QPushButton>("open"), Qt::LeftButton); }

    void clickOk() {
        InputFormWindow* form = parameterDialog();
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("inputok")), Qt::LeftButton);
    }

    QStringList listed() {
        QStringList entries;
        for (const std::string& entry : listEntries()) entries << QString::fromStdString(entry);
        return entries;
    }

    // What the mouse sends for a double-click: press, release, double-click, release.
    void doubleClickAt(const QPoint& pos) {
        QWidget* viewport = control<QListWidget>("datList")->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
    }
};

TEST_F(ImportFlow, OpenShowsThePresetDialogAndOkListsTheShow) {
    showWindow();
    const std::string path = ledFile("hundred.led", 100, 10);
    files.choose(path);
    window->setStatus("旧的状态");
    clickOpen();

    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0].initialDir, folder.path().string());
    EXPECT_EQ(files.asked[0].filterName, "dat files (*.led)");
    EXPECT_EQ(files.asked[0].title, "打开led文件");
    EXPECT_TRUE(messages.shown.empty());

    InputFormWindow* form = parameterDialog();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->parentWidget(), window.get());
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("inputformcaption"))->text(),
              QStringLiteral("输入第 1 个节目参数"));
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("inputdots"))->text(), QStringLiteral("100"));
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("inputframes"))->text(), QStringLiteral("10"));
    EXPECT_EQ(control<QLabel>("prossstates")->text(), QString());
    // Not modal: the main window still takes clicks.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    clickOk();
    EXPECT_EQ(listed(), QStringList{QString::fromStdString(path)});
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("4.97%"));
    EXPECT_EQ(control<QProgressBar>("epprom")->value(), 3000);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(session->table().showCount(), 1);
}

// Files dragged from a file manager onto the window: the drag is taken, and once the drop is
// over the open command runs with them, the file dialog not shown.
TEST_F(ImportFlow, ADroppedFileOpensLikeOneChosenInTheFileDialog) {
    showWindow();
    const auto drop = [this](const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
        data.setUrls(urls);
        const QPointF at(400, 150);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &dropped);
        EXPECT_TRUE(dropped.isAccepted());
    };
    EXPECT_FALSE(control<QComboBox>("cbcom")->lineEdit()->acceptDrops()) << "a drop on the port box is the window's";
    drop({ledFile("a.led", 10, 3)});
    EXPECT_EQ(parameterDialog(), nullptr) << "nothing happens inside the drop itself";
    spin(5);
    ASSERT_NE(parameterDialog(), nullptr);
    EXPECT_TRUE(parameterDialog()->isVisible());
    EXPECT_TRUE(files.asked.empty());
    clickOk();
    EXPECT_EQ(listed(), QStringList{QString::fromStdString(folder.path().string() + "/a.led")});

    drop({ledFile("b.led", 10, 3), ledFile("c.led", 10, 3)});
    EXPECT_TRUE(messages.shown.empty()) << "nothing happens inside the drop itself";
    spin(5);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "你没有打开任何文件或找开了错误的文件!");
}

TEST_F(ImportFlow, CorrectedNumbersAreWhatTheShowTakes) {
    showWindow();
    files.choose(ledFile("hundred.led", 100, 10));
    clickOpen();
    auto* dots = parameterDialog()->findChild<QLineEdit*>(QStringLiteral("inputdots"));
    auto* frames = parameterDialog()->findChild<QLineEdit*>(QStringLiteral("inputframes"));
    dots->selectAll();
    QTest::keyClicks(dots, "5x0");  // the x is refused
    frames->selectAll();
    QTest::keyClicks(frames, "2");
    clickOk();
    EXPECT_EQ(session->table().showSize(1), 50 * 3 * 2);
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("0.50%"));
}

TEST_F(ImportFlow, TheSecondShowIsAnnouncedAsNumberTwo) {
    showWindow();
    const std::string first = ledFile("first.led", 100, 10);
    const std::string second = ledFile("second.led", 20, 3);
    ASSERT_TRUE(importShow(first));
    files.choose(second);
    clickOpen();
    EXPECT_EQ(parameterDialog()->findChild<QLabel*>(QStringLiteral("inputformcaption"))->text(),
              QStringLiteral("输入第 2 个节目参数"));
    clickOk();
    EXPECT_EQ(listed(), (QStringList{QString::fromStdString(first), QString::fromStdString(second)}));
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("5.27%"));
}

TEST_F(ImportFlow, ACancelledOpenWarnsAndShowsNoDialog) {
    showWindow();
    files.cancel();
    clickOpen();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "注意");
    EXPECT_EQ(messages.shown[0].text, texts::wrongFile);
    EXPECT_EQ(messages.shown[0].icon, MessageBox::Icon::exclamation);
    EXPECT_EQ(parameterDialog(), nullptr);
    EXPECT_FALSE(control<QProgressBar>("ProgressBar")->isVisible());
}

TEST_F(ImportFlow, ClosingTheDialogEmptiesTheStatusAndTheNextOpenMakesItAfresh) {
    showWindow();
    files.choose(ledFile("hundred.led", 100, 10));
    clickOpen();
    QPointer<InputFormWindow> first = parameterDialog();
    ASSERT_TRUE(first);
    first->findChild<QLineEdit*>(QStringLiteral("inputdots"))->setText("77");
    window->setStatus("状态");

    EXPECT_TRUE(first->close());
    EXPECT_EQ(control<QLabel>("prossstates")->text(), QString());
    EXPECT_EQ(window->inputFormWindow(), nullptr);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("0.00%"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the closed dialog is gone";

    files.choose(ledFile("small.led", 4, 2));
    clickOpen();
    InputFormWindow* second = parameterDialog();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->findChild<QLabel*>(QStringLiteral("inputformcaption"))->text(),
              QStringLiteral("输入第 1 个节目参数"));
    EXPECT_EQ(second->findChild<QLineEdit*>(QStringLiteral("inputdots"))->text(), QStringLiteral("4"));
    EXPECT_EQ(second->findChild<QLineEdit*>(QStringLiteral("inputframes"))->text(), QStringLiteral("2"));
}

TEST_F(ImportFlow, ADoubleClickOnAnEntryRemovesThatShow) {
    showWindow();
    const std::string first = ledFile("first.led", 100, 10);
    const std::string second = ledFile("second.led", 20, 3);
    ASSERT_TRUE(importShow(first));
    ASSERT_TRUE(importShow(second));
    auto* list = control<QListWidget>("datList");
    ASSERT_EQ(list->count(), 2);

    doubleClickAt(list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(listed(), QStringList{QString::fromStdString(second)});
    EXPECT_EQ(session->table().showCount(), 1);
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("0.30%"));
}

// Which show a double-click below the entries removes follows from the list's state alone.
TEST_F(ImportFlow, ADoubleClickOnTheBlankPartOfTheListGoesByTheListsState) {
    struct Case {
        int shows;
        int selected;  // -1: none
        QStringList left;
    };
    showWindow();
    const QString a = QString::fromStdString(ledFile("a.led", 10, 1)),
                  b = QString::fromStdString(ledFile("b.led", 10, 2));
    for (const Case& c : {Case{1, -1, {}}, Case{1, 0, {}}, Case{2, 1, {a}}, Case{2, 0, {b}}, Case{2, -1, {a, b}}}) {
        auto* list = control<QListWidget>("datList");
        while (list->count() > 0) session->removeShow(0);
        for (int s = 0; s < c.shows; ++s) ASSERT_TRUE(importShow((s == 0 ? a : b).toStdString()));
        list->setCurrentRow(c.selected);
        if (c.selected < 0) list->clearSelection();
        const QPoint blank(list->viewport()->width() / 2, list->viewport()->height() - 3);
        ASSERT_EQ(list->itemAt(blank), nullptr);
        doubleClickAt(blank);
        EXPECT_EQ(listed(), c.left) << c.shows << " shows, selected " << c.selected;
        EXPECT_EQ(session->table().showCount(), static_cast<int>(c.left.size()));
    }
}

TEST_F(ImportFlow, PickingAColourOrderRewritesTheLoadedShows) {
    showWindow();
    ASSERT_TRUE(importShow(ledFile("hundred.led", 100, 10)));
    ASSERT_EQ(session->table().showColourOrder(1), 0);
    auto* cbrgb = control<QComboBox>("cbrgb");
    QTest::keyClick(cbrgb, Qt::Key_Down);  // RBG红蓝绿
    EXPECT_EQ(cbrgb->currentIndex(), 1);
    EXPECT_EQ(session->table().showColourOrder(1), 1);
}

TEST_F(ImportFlow, SendStartsTheDownloadAndShowsTheProgressBar) {
    showWindow();
    ASSERT_TRUE(importShow(ledFile("hundred.led", 100, 10)));
    QTest::mouseClick(control<QPushButton>("opencom"), Qt::LeftButton);
    ASSERT_TRUE(port.isOpen());
    QTest::mouseClick(control<QPushButton>("comsend"), Qt::LeftButton);
    EXPECT_EQ(port.written(), std::vector<std::uint8_t>{0x41});
    EXPECT_TRUE(control<QProgressBar>("ProgressBar")->isVisible());
    EXPECT_EQ(control<QLabel>("prossstates")->text(), QString::fromUtf8(texts::sending.data(), texts::sending.size()));
}

TEST_F(ImportFlow, ClosingTheMainWindowHidesTheDialogAndEndsTheProgram) {
    showWindow();
    files.choose(ledFile("hundred.led", 100, 10));
    clickOpen();
    InputFormWindow* form = parameterDialog();
    ASSERT_TRUE(form && form->isVisible());

    EXPECT_TRUE(window->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(session->table().showCount(), 0) << "the show being set up is not added";
}

}  // namespace
}  // namespace pelmora::testing
