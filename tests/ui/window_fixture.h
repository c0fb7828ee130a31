#pragma once
// A main window on the fake platform, as the tool builds it at start-up, for the GUI tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <string>

#include "app/session.h"
#include "fakes.h"
#include "led_builder.h"
#include "ui/input_form.h"
#include "ui/main_window.h"

namespace pelmora::testing {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>([this](MainView& view) {
            return std::make_unique<Session>(view, Platform{messages, files, web, port}, folder.path().string(),
                                             devices.path().string());
        });
        window->setProgramEnd([this] { ++programEnds; });
    }

    void TearDown() override {
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

    // The parameter dialog while it exists, or nullptr.
    InputFormWindow* parameterDialog() {
        return window->hasInputForm() ? dynamic_cast<InputFormWindow*>(&window->inputForm()) : nullptr;
    }

    std::string ledFile(const std::string& name, int dots, int frames) {
        return folder.write(name, makeLedFile({.dots = dots, .frames = frames}));
    }

    TempDir folder;   // the program's folder: LED files live here
    TempDir devices;  // the device folder the port list looks into
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeWebOpener web;
    FakeSerialPort port;
    int programEnds = 0;
    std::unique_ptr<MainWindow> window;
};

}  // namespace pelmora::testing
