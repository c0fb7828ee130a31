#pragma once
// The tool's fonts. The windows ask first for the font built into the program (ui/embedded_font.h),
// which holds the characters of their own texts; then for "宋体": where it is not installed (any
// Linux desktop) the family list falls back to SimSun, then to the Ming-style font our install
// script brings, then to any other CJK font, so that Chinese (in file names too) never draws as
// empty boxes.

#include <QFont>
#include <QStringList>

class QApplication;

namespace pelmora {

QStringList songFamilies();

// A font of the "宋体" family list; pointSize 0 gives the default size.
QFont songFont(qreal pointSize = 0, bool bold = false);

// 宋体 9 pt regular for every control without a font of its own.
void applyDefaultFont(QApplication& app);

}  // namespace pelmora
