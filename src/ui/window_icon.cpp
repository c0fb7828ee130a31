#include "ui/window_icon.h"

// The resources live in a static library; nothing would pull them into the program without this.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace pelmora {

QIcon appIcon() {
    static const bool registered = (initResources(), true);
    (void)registered;
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/pelmora-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/pelmora-256.png"), QSize(256, 256));
    return icon;
}

}  // namespace pelmora
