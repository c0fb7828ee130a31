#include "ui/qt/fonts.h"

#include <QApplication>

#include "session/layout.h"
#include "ui/qt/embedded_font.h"

namespace pelmora {

QStringList songFamilies() {
    return {
        embeddedSongFamily(),
        QStringLiteral("宋体"),
        QStringLiteral("SimSun"),
        QStringLiteral("AR PL UMing CN"),
        QStringLiteral("AR PL UMing TW"),
        QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Source Han Serif SC"),
        QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Droid Sans Fallback"),
        QStringLiteral("AR PL UKai CN"),
    };
}

QFont songFont(qreal pointSize, bool bold) {
    registerEmbeddedSong();
    QFont font;
    font.setFamilies(songFamilies());
    font.setPointSizeF(pointSize > 0 ? pointSize : defaultPointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void applyDefaultFont(QApplication& app) { app.setFont(songFont()); }

}  // namespace pelmora
