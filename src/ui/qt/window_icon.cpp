#include "ui/qt/window_icon.h"

// The resources live in a static library; nothing would pull them into the program without this.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace pelmora {

QIcon appIcon() {
    // QIcon::addFile decodes the PNGs at once, a good part of start-up on a slow machine: decode
    // them once per run and hand out shared copies. Never destroyed, so no pixmap outlives the
    // application object at exit.
    static const QIcon* const icon = [] {
        initResources();
        auto* made = new QIcon;
        made->addFile(QStringLiteral(":/icons/pelmora-32.png"), QSize(32, 32));
        made->addFile(QStringLiteral(":/icons/pelmora-256.png"), QSize(256, 256));
        return made;
    }();
    return *icon;
}

}  // namespace pelmora
