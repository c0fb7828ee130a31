#pragma once
// The window's own font: the Ming face the windows are drawn with, cut at build time to the
// characters of the program's texts and compiled into the program, so that the window needs no
// CJK font on the system and start-up does not open a 20 MiB font file for a few dozen glyphs.

#include <QString>

namespace pelmora {

// The family name the embedded font has ("Pelmora Song"), whether or not it is registered.
QString embeddedSongFamily();

// Registers the embedded font with the application's font database once; true when it is there.
// Needs the QGuiApplication; later calls only return the first call's answer.
bool registerEmbeddedSong();

}  // namespace pelmora
