#pragma once
// The preview window as data: its areas at 96 DPI relative to the client area, where each dot of
// a frame goes, the pixels of the whole show at a glance, and the shapes all this paints at a DPI.
// Each front-end only draws these. Also where the tool's own windows come up beside the main window.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "session/rgb.h"
#include "session/views.h"
#include "show/preview.h"

namespace pelmora {

struct Area {
    int x, y, w, h;
    int right() const { return x + w; }   // one past the last column
    int bottom() const { return y + h; }  // one past the last row
    friend bool operator==(const Area&, const Area&) = default;
};

namespace previewLayout {
constexpr int width = 640, height = 400;
constexpr Area caption{10, 8, 620, 20};  // 第 3 / 10 帧, bold
constexpr double captionPointSize = 10.5;
constexpr Area description{10, 30, 620, 18};  // 9 pt
constexpr Area strip{10, 56, 620, 190};       // the current frame's dots, on black
constexpr Area overview{10, 256, 620, 134};   // the whole show, on white
constexpr Rgb stripBackground{0, 0, 0};
constexpr Rgb overviewBackground{255, 255, 255};  // beyond a frame's dots
constexpr Rgb missing{160, 160, 160};             // a dot the file does not hold: a ring, a grey pixel
constexpr Rgb marker{255, 0, 0};                  // the frame around the current frame's row
}  // namespace previewLayout

// Dot d of a frame of `count` dots: the centre of its round dot and the dot's radius. The dots
// take cells as large as the strip allows for this many, from 3 to 12 pixels, in rows from the
// left; `fits` is false for a dot whose row lies below the strip, which is not drawn.
struct DotPlace {
    int x = 0, y = 0, radius = 1;
    bool fits = false;
    friend bool operator==(const DotPlace&, const DotPlace&) = default;
};
DotPlace previewDotPlace(std::size_t count, std::size_t d);

// The whole show at a glance before it is stretched over the overview area: a pixel per dot,
// a row per frame; white beyond a frame's dots, grey for dots the file does not hold.
struct OverviewPixels {
    int width = 1, height = 1;
    std::vector<Rgb> pixels;  // row by row
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }
};
OverviewPixels previewOverviewPixels(const std::vector<PreviewFrame>& frames);

// The frame drawn around row `current` of an overview of `rows` rows, stretched over the overview
// area: one pixel outside the row on every side.
Area previewMarker(int current, int rows);

// Where a window of the tool (the parameter dialog, the preview) comes up, its outer frame `width`
// x `height`, on screen: next to the main window's outer frame, covering neither it nor the tool's
// other windows on screen (`shown`, outer frames), inside the screen's work area. Tried in turn:
// below the main window from its left edge; to its right from its top; below it, right of a shown
// window; to its right, below a shown window; to its left; above it. The first place that covers
// nothing wins; with no room for that, the first that leaves the main window free (a shown window
// may be covered: the main window's buttons matter more); on a screen with room for neither,
// below and pushed up into the work area, over the main window. It never leaves the work area
// where it fits in it. A window that was up before comes back where it was, `last`, unless it
// would cover the main window or a shown window there.
struct Point {
    int x, y;
    friend bool operator==(const Point&, const Point&) = default;
};
Point placeBeside(const Area& mainFrame, int width, int height, const Area& workArea, std::span<const Area> shown = {},
                  std::optional<Point> last = {});

// A length of the tables above (made for 96 DPI) at another DPI, to the nearest pixel; an area's
// edges each scaled so, so that neighbouring areas stay neighbours.
constexpr int scaled(int length, int dpi) {
    const long long product = static_cast<long long>(length) * dpi;
    return static_cast<int>(product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96));
}
Area scaled(const Area& area, int dpi);

// The whole show at a glance as a preview window keeps it: `generation` counts the overviews given
// (0: none yet), so that a window stretches the pixels again only for a new one or a new size.
struct PreviewOverview {
    OverviewPixels pixels;
    int generation = 0;
    void set(const std::vector<PreviewFrame>& frames);
};

// What the preview window paints, in this order, in pixels of its client area at a DPI: each
// front-end only fills, rings and copies these.
struct PreviewShape {
    enum class Kind {
        face,      // the whole client area in the window's own face colour, the system's
        fill,      // a filled rectangle
        disc,      // a filled ellipse inside the area
        ring,      // an ellipse's one-pixel outline inside the area
        overview,  // the overview stretched over the area; `image` is its generation
        frame,     // a rectangle's one-pixel outline inside the area
    };
    Kind kind;
    Area area;
    Rgb colour{};   // for fill, disc, ring and frame
    int image = 0;  // for overview
    friend bool operator==(const PreviewShape&, const PreviewShape&) = default;
};
// The background, the strip with the current frame's dots (a dot the file does not hold an empty
// grey ring, never a black dot), the overview once there is one, and the mark around the current
// frame's row. Dot radii round down, so that neighbours never touch at any DPI.
std::vector<PreviewShape> previewShapes(const PreviewPicture& picture, const PreviewOverview& overview, int dpi);

}  // namespace pelmora
