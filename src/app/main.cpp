// Starts the tool: Qt in Chinese, the 宋体 family, the platform seams, the session and its window.

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/exit_when_shown.h"
#include "app/session.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_web_opener.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/window_icon.h"

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
    pelmora::QtSerialPort port;
    // The file dialog opens in the folder of the executable, every time.
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();

    pelmora::MainWindow window([&](pelmora::MainView& view) {
        return std::make_unique<pelmora::Session>(view, pelmora::Platform{messages, files, web, port}, programFolder);
    });
    messages.setOwner(&window);
    files.setOwner(&window);
    window.show();
    pelmora::addLargeIconSizesWhenShown(window);
    pelmora::ExitWhenShown::installIfAsked(window);
    return QApplication::exec();
}
