// The whole job end to end: the window imports shows (the file dialog is the fake one), opens
// the real Qt serial port on the slave side of a pseudo-terminal pair through the device folder,
// and sends; the emulated controller on the master side answers as the controller does. What the
// controller ends up with is compared with an image this test builds on its own from the files.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/session.h"
#include "download/port_control.h"
#include "download/transfer.h"
#include "emulator.h"
#include "event_loop.h"
#include "expected_image.h"
#include "fakes.h"
#include "led_builder.h"
#include "platform/qt/qt_serial_port.h"
#include "pty_pair.h"
#include "qt_printers.h"
#include "ui/input_form.h"
#include "ui/main_window.h"

namespace pelmora::testing {
namespace {

class DownloadFlow : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_symlink(line.slavePath(), devices.path() / "ttyUSB0");
        window = std::make_unique<MainWindow>([this](MainView& view) {
            return std::make_unique<Session>(view, Platform{messages, files, web, port}, folder.path().string(),
                                             devices.path().string());
        });
        window->setProgramEnd([] {});
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <class T>
    T* control(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    // Open the file, type the dot count over the preset one, OK.
    KnownShow importShow(const std::string& name, const LedFileSpec& led, int typedDots) {
        KnownShow show{{}, makeLedFile(led), typedDots, led.frames};
        show.path = folder.write(name, show.file);
        files.choose(show.path);
        click("open");
        auto* form = dynamic_cast<InputFormWindow*>(&window->inputForm());
        EXPECT_TRUE(form && form->isVisible());
        auto* dots = form->findChild<QLineEdit*>(QStringLiteral("inputdots"));
        dots->selectAll();
        QTest::keyClicks(dots, QString::number(typedDots));
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("inputok")), Qt::LeftButton);
        return show;
    }

    // The controller's side: whatever the tool sent goes to the emulator, its answers go back.
    void pumpController() {
        const Bytes sent = line.take();
        if (sent.empty()) return;
        const Bytes answers = controller.feed(sent);
        if (!answers.empty()) line.send(answers);
    }

    // The event loop turns while the controller answers.
    bool runUntil(const std::function<bool()>& condition) {
        return testing::runUntil(condition, 20000, [this] { pumpController(); });
    }
    void spin(int rounds) {
        testing::spin(rounds, [this] { pumpController(); });
    }

    QString status() { return control<QLabel>("prossstates")->text(); }

    // The one port message was shown, and the window shows a closed port the user can pick again.
    void expectClosedAfterThePortMessage() {
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(messages.shown.back().title, "出错了!");
        EXPECT_EQ(messages.shown.back().text, noSuchPortText);
        EXPECT_EQ(lamp(), QColor(0, 0, 0));
        EXPECT_EQ(control<QPushButton>("opencom")->text(), QString::fromUtf8(openPortCaption));
        EXPECT_TRUE(control<QComboBox>("cbcom")->isEnabled());
    }
    QColor lamp() { return control<Lamp>("coms")->colour(); }

    Pty line;
    TempDir folder, devices;
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeWebOpener web;
    QtSerialPort port{devices.path().string()};
    emulator::ControllerEmulator controller;
    std::unique_ptr<MainWindow> window;
};

TEST_F(DownloadFlow, TwoShowsReachTheControllerByteForByteAndARemovalIsSentAgain) {
    std::vector<KnownShow> shows;
    // 1000 dots of 20 frames (two sectors a frame), typed down to 900 dots; then 60 dots of 40
    // frames typed down to 50: 54000 + 6000 bytes, fourteen chunks and a tail.
    shows.push_back(importShow("wide.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5}, 900));
    shows.push_back(importShow("narrow.led", {.dots = 60, .frames = 40}, 50));
    ASSERT_EQ(control<QListWidget>("datList")->count(), 2);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text;

    auto* cbrgb = control<QComboBox>("cbrgb");
    cbrgb->setFocus();
    QTest::keyClick(cbrgb, Qt::Key_Down);
    QTest::keyClick(cbrgb, Qt::Key_Down);  // GRB绿红蓝
    ASSERT_EQ(cbrgb->currentIndex(), 2);

    ASSERT_EQ(control<QComboBox>("cbcom")->currentIndex(), 0);  // COM1: ttyUSB0, the only device
    click("opencom");
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(lamp(), QColor(255, 0, 0));
    EXPECT_FALSE(control<QComboBox>("cbcom")->isEnabled());
    EXPECT_EQ(control<QPushButton>("opencom")->text(), QString::fromUtf8(closePortCaption));

    click("comsend");
    EXPECT_EQ(status(), QString::fromUtf8(sendingText));
    auto* progress = control<QProgressBar>("ProgressBar");
    EXPECT_TRUE(progress->isVisible());
    ASSERT_TRUE(runUntil([&] { return status() == QString::fromUtf8(sentText); }))
        << "status " << status().toStdString() << ", controller has " << controller.received();

    EXPECT_TRUE(controller.complete());
    EXPECT_EQ(controller.chunksAsked(), 15u);
    EXPECT_EQ(controller.image(), expectedImage(shows, 2, 5));
    EXPECT_EQ(progress->maximum(), 15);
    EXPECT_EQ(progress->value(), progress->maximum());
    spin(20);
    EXPECT_EQ(controller.unexpectedBytes(), 0u) << "the tool sent only what was asked for";
    EXPECT_TRUE(messages.shown.empty());

    // Double-click the first show away and send again: the controller gets the second show alone.
    auto* list = control<QListWidget>("datList");
    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, first);
    ASSERT_EQ(list->count(), 1);
    shows.erase(shows.begin());

    click("comsend");
    ASSERT_TRUE(
        runUntil([&] { return controller.downloadsCompleted() == 2 && status() == QString::fromUtf8(sentText); }));
    EXPECT_EQ(controller.image(), expectedImage(shows, 2, 5));
    EXPECT_EQ(progress->maximum(), 2);  // one chunk and a tail
    EXPECT_EQ(progress->value(), 2);
}

TEST_F(DownloadFlow, ABusyOrMissingPortGivesThePortMessageAndStaysClosed) {
    // Another program holds the line, through the same name.
    QSerialPort other(QString::fromStdString((devices.path() / "ttyUSB0").string()));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    click("opencom");
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    expectClosedAfterThePortMessage();
    other.close();

    // COM2 reaches no device in the folder.
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->setCurrentIndex(1);
    emit cbcom->activated(1);
    click("opencom");
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(messages.shown.size(), 2u);
    expectClosedAfterThePortMessage();

    // Back on COM1, now free, the port opens.
    cbcom->setCurrentIndex(0);
    emit cbcom->activated(0);
    click("opencom");
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(DownloadFlow, ALinePulledAwayMidTransferClosesThePortAndSaysSoOnce) {
    importShow("wide.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5}, 1000);
    click("opencom");
    ASSERT_TRUE(port.isOpen());
    click("comsend");
    ASSERT_TRUE(runUntil([&] { return controller.chunksAsked() >= 3; }));
    line.closeMaster();

    ASSERT_TRUE(runUntil([&] { return !port.isOpen(); }));
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    expectClosedAfterThePortMessage();
    EXPECT_EQ(window->session().table().showCount(), 1) << "the loaded show stays";
}

}  // namespace
}  // namespace pelmora::testing
