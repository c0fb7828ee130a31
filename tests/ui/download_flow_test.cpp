// The whole job end to end: the window imports shows (the file dialog is the fake one), opens
// the real Qt serial port on the slave side of a pseudo-terminal pair through the device folder,
// and sends; the emulated controller on the master side answers as the controller does. What the
// controller ends up with is compared with an image this test builds on its own from the files.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>
#include <filesystem>
#include <functional>

#include "emulator.h"
#include "event_loop.h"
#include "expected_image.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "pty_pair.h"
#include "qt_printers.h"
#include "session/texts.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

class DownloadFlow : public WindowTest {
protected:
    // The window on the real Qt serial port, whose COM1 is the pty's slave side in the device folder.
    void SetUp() override {
        std::filesystem::create_symlink(line.slavePath(), devices.path() / "ttyUSB0");
        start(serial);
        showWindow();
    }

    // Imports the file built from `led` with the dot count typed over the preset one.
    KnownShow importTyped(const std::string& name, const LedFileSpec& led, int typedDots) {
        KnownShow show{{}, makeLedFile(led), typedDots, led.frames};
        show.path = folder.write(name, show.file);
        EXPECT_TRUE(importShow(show.path, typedDots));
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
        EXPECT_FALSE(serial.isOpen());
        EXPECT_EQ(messages.shown.back().title, "出错了!");
        EXPECT_EQ(messages.shown.back().text, texts::noSuchPort);
        EXPECT_EQ(lamp(), QColor(0, 0, 0));
        EXPECT_EQ(control<QPushButton>("opencom")->text(), qt(texts::openPort));
        EXPECT_TRUE(control<QComboBox>("cbcom")->isEnabled());
    }
    QColor lamp() { return control<Lamp>("coms")->colour(); }

    Pty line;
    TempDir devices;
    PosixPortDirectory deviceFolder{devices.path().string()};
    QtSerialPort serial{deviceFolder};
    emulator::ControllerEmulator controller;
};

TEST_F(DownloadFlow, TwoShowsReachTheControllerByteForByteAndARemovalIsSentAgain) {
    std::vector<KnownShow> shows;
    // 1000 dots of 20 frames (two sectors a frame), typed down to 900 dots; then 60 dots of 40
    // frames typed down to 50: 54000 + 6000 bytes, fourteen chunks and a tail.
    shows.push_back(importTyped("wide.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5}, 900));
    shows.push_back(importTyped("narrow.led", {.dots = 60, .frames = 40}, 50));
    ASSERT_EQ(control<QListWidget>("datList")->count(), 2);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text;

    auto* cbrgb = control<QComboBox>("cbrgb");
    cbrgb->setFocus();
    QTest::keyClick(cbrgb, Qt::Key_Down);
    QTest::keyClick(cbrgb, Qt::Key_Down);  // GRB绿红蓝
    ASSERT_EQ(cbrgb->currentIndex(), 2);

    ASSERT_EQ(control<QComboBox>("cbcom")->currentIndex(), 0);  // COM1: ttyUSB0, the only device
    click("opencom");
    ASSERT_TRUE(serial.isOpen());
    EXPECT_EQ(lamp(), QColor(255, 0, 0));
    EXPECT_FALSE(control<QComboBox>("cbcom")->isEnabled());
    EXPECT_EQ(control<QPushButton>("opencom")->text(), qt(texts::closePort));

    click("comsend");
    EXPECT_EQ(status(), qt(texts::sending));
    auto* progress = control<QProgressBar>("ProgressBar");
    EXPECT_TRUE(progress->isVisible());
    ASSERT_TRUE(runUntil([&] { return status() == qt(texts::sent); }))
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
    ASSERT_TRUE(runUntil([&] { return controller.downloadsCompleted() == 2 && status() == qt(texts::sent); }));
    EXPECT_EQ(controller.image(), expectedImage(shows, 2, 5));
    EXPECT_EQ(progress->maximum(), 2);  // one chunk and a tail
    EXPECT_EQ(progress->value(), 2);
}

TEST_F(DownloadFlow, ABusyOrMissingPortGivesThePortMessageAndStaysClosed) {
    // Another program holds the line, through the same name.
    QSerialPort other(QString::fromStdString((devices.path() / "ttyUSB0").string()));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    click("opencom");
    EXPECT_FALSE(serial.isOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    expectClosedAfterThePortMessage();
    other.close();

    // COM2 reaches no device in the folder.
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->setCurrentIndex(1);
    emit cbcom->activated(1);
    click("opencom");
    EXPECT_FALSE(serial.isOpen());
    ASSERT_EQ(messages.shown.size(), 2u);
    expectClosedAfterThePortMessage();

    // Back on COM1, now free, the port opens.
    cbcom->setCurrentIndex(0);
    emit cbcom->activated(0);
    click("opencom");
    EXPECT_TRUE(serial.isOpen());
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(DownloadFlow, ALinePulledAwayMidTransferClosesThePortAndSaysSoOnce) {
    importTyped("wide.led", {.dots = 1000, .frames = 20, .sectorsMinusOne = 5}, 1000);
    click("opencom");
    ASSERT_TRUE(serial.isOpen());
    click("comsend");
    ASSERT_TRUE(runUntil([&] { return controller.chunksAsked() >= 3; }));
    line.closeMaster();

    ASSERT_TRUE(runUntil([&] { return !serial.isOpen(); }));
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    expectClosedAfterThePortMessage();
    EXPECT_EQ(session->table().showCount(), 1) << "the loaded show stays";
    EXPECT_EQ(listEntries().size(), 1u);
}

}  // namespace
}  // namespace pelmora::testing
