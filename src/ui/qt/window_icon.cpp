#include "ui/qt/window_icon.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

// The resources live in a static library; nothing would pull them into the program without this.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace pelmora {

namespace {

// QIcon::addFile decodes a PNG at once. Decode each size once per run and hand out shared copies;
// never destroyed, so no pixmap outlives the application object at exit.
QIcon& sharedIcon() {
    static QIcon* const icon = [] {
        initResources();
        auto* made = new QIcon;
        made->addFile(QStringLiteral(":/icons/pelmora-32.png"), QSize(32, 32));
        return made;
    }();
    return *icon;
}

bool largeSizesAdded = false;

void addLargeSizes() {
    if (largeSizesAdded) return;
    largeSizesAdded = true;
    sharedIcon().addFile(QStringLiteral(":/icons/pelmora-256.png"), QSize(256, 256));
    // The windows hold copies of the small icon: hand them the whole one.
    QApplication::setWindowIcon(sharedIcon());
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->windowIcon().isNull()) window->setWindowIcon(sharedIcon());
}

// Adds the large sizes once the window it watches has been exposed (painted) for the first time.
class AfterFirstExpose : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), addLargeSizes, Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

QIcon appIcon() { return sharedIcon(); }

void addLargeIconSizesWhenShown(QWidget& window) {
    if (largeSizesAdded) return;
    if (!window.windowHandle()) {
        addLargeSizes();
        return;
    }
    window.windowHandle()->installEventFilter(new AfterFirstExpose(window.windowHandle()));
}

}  // namespace pelmora
