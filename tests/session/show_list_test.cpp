// datList's rows: how high they are, and what a row too narrow for its path shows.

#include "session/show_list.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

// Every character one unit wide: widths are character counts, the ellipsis included.
int characters(std::string_view text) {
    int n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(ShowListRows, ARowIsAsHighAsTheInkUnlessFiveWouldNotFit) {
    struct Case {
        int ink, inside, height;
    } const cases[] = {{12, 64, 12}, {13, 64, 12}, {12, 60, 12}, {12, 59, 11}, {20, 3, 1}, {0, 64, 1}};
    for (const Case& c : cases) EXPECT_EQ(showListRowHeight(c.ink, c.inside), c.height) << c.ink << " " << c.inside;
}

TEST(ShowListRows, ALongPathLosesItsMiddleAndKeepsItsFileName) {
    struct Case {
        const char* path;
        int width;
        const char* shown;
    } const cases[] = {
        {"/home/li/show.led", 17, "/home/li/show.led"},  // fits exactly
        {"/home/li/show.led", 16, "/home/l…show.led"},   // the file name whole, the start gets the rest
        {"/home/li/show.led", 10, "/…show.led"},
        {"/home/li/show.led", 6, "…w.led"},                   // as much of the file name as fits
        {"/a/bcdefgh/ijk", 9, "/a/b…/ijk"},                   // a short file name: half each side
        {"C:\\灯光\\彩虹渐变.led", 12, "C:\\…彩虹渐变.led"},  // never splits a character
        {"/a/b", 0, "…"},
    };
    for (const Case& c : cases) {
        const std::string shown = showListRowText(c.path, c.width, characters);
        EXPECT_EQ(shown, c.shown) << c.path << " in " << c.width;
        EXPECT_LE(characters(shown), std::max(c.width, 1));
    }
}

TEST(ShowListRows, TheTooltipIsTheWholePath) {
    const ShowEntry entry = showEntry("/very/long/path/to/a/show.led");
    EXPECT_EQ(entry.text, "/very/long/path/to/a/show.led");
    EXPECT_EQ(entry.tooltip, "/very/long/path/to/a/show.led");
}

}  // namespace
}  // namespace pelmora
