// Starts the tool: Qt in Chinese, the 宋体 family, the platform seams, the window and the session.

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_web_opener.h"
#include "session/session.h"
#include "ui/qt/exit_when_shown.h"
#include "ui/qt/fonts.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_icon.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("pelmora"));

    // Qt's own dialogs (the file dialog, the message box's button) speak Chinese like the tool.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    pelmora::applyDefaultFont(app);
    QApplication::setWindowIcon(pelmora::appIcon());

    pelmora::QtMessageBox messages;
    pelmora::QtFileDialog files;
    pelmora::QtWebOpener web;
    pelmora::PosixPortDirectory ports;
    pelmora::QtSerialPort port(ports);

    pelmora::MainWindow window;
    // The file dialog opens in the folder of the executable, every time.
    pelmora::Session session(window, {messages, files, web, port, ports},
                             QCoreApplication::applicationDirPath().toStdString());
    window.setEvents(session);
    messages.setOwner(&window);
    files.setOwner(&window);
    session.startUp();
    window.show();
    pelmora::addLargeIconSizesWhenShown(window);
    pelmora::ExitWhenShown::installIfAsked(window);
    return QApplication::exec();
}
