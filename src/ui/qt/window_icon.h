#pragma once
// The icon of both windows: LED dots on a dark board, 32 px for the caption, 256 px for docks.
// The 32 px size is there from the start; decoding the 256 px one would delay the first picture
// by a few milliseconds, so it is added once the main window has been painted.

#include <QIcon>

class QWidget;

namespace pelmora {

QIcon appIcon();

// After window.show(): adds the 256 px size to the icon (and to every window showing it) once the
// window has been painted for the first time; at once when the window has no native window.
void addLargeIconSizesWhenShown(QWidget& window);

}  // namespace pelmora
