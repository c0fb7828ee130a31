#include "session/preview_layout.h"

#include <algorithm>
#include <cmath>

namespace pelmora {

DotPlace previewDotPlace(std::size_t count, std::size_t d) {
    using previewLayout::strip;
    const double fit = std::sqrt(double(strip.w) * strip.h / double(std::max<std::size_t>(count, 1)));
    const int cell = std::clamp(static_cast<int>(fit), 3, 12);
    const std::size_t perRow = static_cast<std::size_t>(std::max(strip.w / cell, 1));
    const std::size_t row = d / perRow, column = d % perRow;
    DotPlace place;
    place.radius = std::max(cell / 2 - 1, 1);
    // A row far below the strip is not drawn; its place need not be exact.
    const std::size_t rows = static_cast<std::size_t>(strip.h / cell) + 1;
    place.x = strip.x + static_cast<int>(column) * cell + cell / 2;
    place.y = strip.y + static_cast<int>(std::min(row, rows)) * cell + cell / 2;
    place.fits = row < rows && place.y + place.radius < strip.bottom();
    return place;
}

OverviewPixels previewOverviewPixels(const std::vector<PreviewFrame>& frames) {
    OverviewPixels image;
    std::size_t width = 1;
    for (const auto& frame : frames) width = std::max(width, frame.dots.size());
    image.width = static_cast<int>(width);
    image.height = std::max(static_cast<int>(frames.size()), 1);
    image.pixels.assign(width * static_cast<std::size_t>(image.height), previewLayout::overviewBackground);
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (std::size_t d = 0; d < frames[f].dots.size(); ++d) {
            const PreviewDot& dot = frames[f].dots[d];
            image.pixels[f * width + d] = dot.present ? Rgb{dot.red, dot.green, dot.blue} : previewLayout::missing;
        }
    return image;
}

Area previewMarker(int current, int rows) {
    using previewLayout::overview;
    const double rowHeight = double(overview.h) / std::max(rows, 1);
    const int y = overview.y + static_cast<int>(current * rowHeight);
    return Area{overview.x - 1, y - 1, overview.w + 2, std::max(static_cast<int>(rowHeight), 1) + 2};
}

namespace {

bool overlap(const Area& a, const Area& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

// The places placeBeside tries, in its order, each pushed into the work area.
std::vector<Area> placesBeside(const Area& main, int width, int height, const Area& work, std::span<const Area> shown) {
    std::vector<Point> corners{{main.x, main.bottom()}, {main.right(), main.y}};
    for (const Area& other : shown) corners.push_back({other.right(), main.bottom()});
    for (const Area& other : shown) corners.push_back({main.right(), other.bottom()});
    corners.push_back({main.x - width, main.y});
    corners.push_back({main.x, main.y - height});
    std::vector<Area> places;
    for (const Point& at : corners)
        places.push_back(Area{std::clamp(at.x, work.x, std::max(work.x, work.right() - width)),
                              std::clamp(at.y, work.y, std::max(work.y, work.bottom() - height)), width, height});
    return places;
}

}  // namespace

Point placeBeside(const Area& mainFrame, int width, int height, const Area& workArea, std::span<const Area> shown,
                  std::optional<Point> last) {
    const auto covers = [shown](const Area& place) {
        return std::any_of(shown.begin(), shown.end(), [&](const Area& other) { return overlap(place, other); });
    };
    const auto free = [&](const Area& place) { return !overlap(place, mainFrame) && !covers(place); };
    if (last && free(Area{last->x, last->y, width, height})) return *last;
    const std::vector<Area> places = placesBeside(mainFrame, width, height, workArea, shown);
    for (const bool spareShown : {true, false})
        for (const Area& place : places)
            if (spareShown ? free(place) : !overlap(place, mainFrame)) return Point{place.x, place.y};
    return Point{places.front().x, places.front().y};
}

Area scaled(const Area& area, int dpi) {
    const int x = scaled(area.x, dpi), y = scaled(area.y, dpi);
    return Area{x, y, scaled(area.right(), dpi) - x, scaled(area.bottom(), dpi) - y};
}

void PreviewOverview::set(const std::vector<PreviewFrame>& frames) {
    pixels = previewOverviewPixels(frames);
    ++generation;
}

namespace {

// Dot d of the current frame: a disc in its own colour, or a grey ring where the file has none.
PreviewShape dotShape(const PreviewDot& dot, const DotPlace& place, int dpi) {
    const int x = scaled(place.x, dpi), y = scaled(place.y, dpi), r = std::max(place.radius * dpi / 96, 1);
    const Area box{x - r, y - r, 2 * r, 2 * r};
    if (!dot.present) return {PreviewShape::Kind::ring, box, previewLayout::missing};
    return {PreviewShape::Kind::disc, box, Rgb{dot.red, dot.green, dot.blue}};
}

}  // namespace

std::vector<PreviewShape> previewShapes(const PreviewPicture& picture, const PreviewOverview& overview, int dpi) {
    using Kind = PreviewShape::Kind;
    std::vector<PreviewShape> shapes{
        {Kind::face, scaled(Area{0, 0, previewLayout::width, previewLayout::height}, dpi)},
        {Kind::fill, scaled(previewLayout::strip, dpi), previewLayout::stripBackground},
    };
    const auto& dots = picture.frame.dots;
    shapes.reserve(dots.size() + 4);
    for (std::size_t d = 0; d < dots.size(); ++d) {
        const DotPlace place = previewDotPlace(dots.size(), d);
        if (!place.fits) break;  // no more rows fit
        shapes.push_back(dotShape(dots[d], place, dpi));
    }
    if (overview.generation == 0) return shapes;
    shapes.push_back({Kind::overview, scaled(previewLayout::overview, dpi), {}, overview.generation});
    const int rows = overview.pixels.height;
    if (picture.frames > 0 && picture.current < rows)
        shapes.push_back({Kind::frame, scaled(previewMarker(picture.current, rows), dpi), previewLayout::marker});
    return shapes;
}

}  // namespace pelmora
