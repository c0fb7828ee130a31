#pragma once
// The icon of both windows: LED dots on a dark board, 32 px for the caption, 256 px for docks.

#include <QIcon>

namespace pelmora {

QIcon appIcon();

}  // namespace pelmora
