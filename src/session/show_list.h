#pragma once
// datList's rows as every window draws them: what a row shows, its tooltip and its height.

#include <functional>
#include <string>
#include <string_view>

namespace pelmora {

struct ShowEntry {
    std::string text;     // the path of the show's LED file
    std::string tooltip;  // the path in full, also where the row shows it shortened
};

ShowEntry showEntry(const std::string& path);

// A row is as high as the font's ink, but never so high that five shows would not all fit the
// list's inside: a scroll bar would hide one. At least one pixel.
int showListRowHeight(int inkHeight, int listInsideHeight);

// What a row `width` pixels wide shows of `text`: all of it where it fits, else the text with
// its middle left out for an ellipsis, keeping as much of the file name at its end as fits.
// `textWidth` measures a text in the row's font.
using TextWidth = std::function<int(std::string_view)>;
std::string showListRowText(std::string_view text, int width, const TextWidth& textWidth);

}  // namespace pelmora
