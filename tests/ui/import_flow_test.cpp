// The import as a user does it in the Qt window, beyond the suite of both front-ends: a dropped
// file, numbers typed over the preset ones, a cancelled open, closing the dialog.

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
};

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

}  // namespace
}  // namespace pelmora::testing
