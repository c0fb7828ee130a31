#pragma once
// The main window on the fake platform, wired to its session as the tool's main() wires them (its
// events counted on the way) and started up, for every GUI test; and the one way these tests
// import a show through the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "counting_events.h"
#include "fakes.h"
#include "led_builder.h"
#include "session/session.h"
#include "ui/qt/input_form.h"
#include "ui/qt/main_window.h"

namespace pelmora::testing {

class WindowTest : public ::testing::Test, protected FakePlatform {
protected:
    void SetUp() override { start(port); }

    // Makes the window and its session with this serial port: the fake one, or a real one that a
    // test's own SetUp brings instead.
    void start(SerialPort& serial) {
        window = std::make_unique<MainWindow>();
        session =
            std::make_unique<Session>(*window, Platform{messages, files, web, serial, ports}, folder.path().string());
        events.inner = session.get();
        window->setEvents(events);
        window->setProgramEnd([this] { ++programEnds; });
        session->startUp();
    }

    void TearDown() override {
        session.reset();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Shows the window and waits until it has the keyboard, as after a real start.
    void showWindow() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <class T>
    T* control(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    // The parameter dialog while it exists, or nullptr.
    InputFormWindow* parameterDialog() { return window->inputFormWindow(); }

    // The entries of datList, top to bottom.
    std::vector<std::string> listEntries() {
        std::vector<std::string> entries;
        auto* list = control<QListWidget>("datList");
        for (int i = 0; i < list->count(); ++i) entries.push_back(list->item(i)->text().toStdString());
        return entries;
    }

    // An import as the user does it: the file dialog chooses `path`, a click on open, the numbers
    // typed over the preset ones (or left as preset), a click on inputok. Returns whether the
    // list gained the show.
    bool importShow(const std::string& path, std::optional<long long> dots = {}, std::optional<long long> frames = {}) {
        const std::size_t before = listEntries().size();
        files.choose(path);
        click("open");
        InputFormWindow* form = parameterDialog();
        EXPECT_TRUE(form && form->isVisible()) << "no parameter dialog after open";
        if (!form) return false;
        auto type = [form](const char* box, long long number) {
            auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(box));
            edit->selectAll();
            QTest::keyClicks(edit, QString::number(number));
        };
        if (dots) type("inputdots", *dots);
        if (frames) type("inputframes", *frames);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("inputok")), Qt::LeftButton);
        return listEntries().size() == before + 1;
    }

    std::string ledFile(const std::string& name, int dots, int frames) {
        return folder.write(name, makeLedFile({.dots = dots, .frames = frames}));
    }

    TempDir folder;  // the program's folder: LED files live here
    int programEnds = 0;
    CountingEvents events;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
};

}  // namespace pelmora::testing
