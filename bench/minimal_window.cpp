// The peer of the tool's start-up: the least a Qt Widgets program does to show a window, one
// label in it, built by the same build with the same flags.

#include <QApplication>
#include <QLabel>

#include "ui/qt/exit_when_shown.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Hello"));
    window.show();
    pelmora::ExitWhenShown::installIfAsked(window);
    return QApplication::exec();
}
