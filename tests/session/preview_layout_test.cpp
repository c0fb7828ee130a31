// Where the preview window draws: the dots of a frame wrapped into rows of the strip, the whole
// show at a glance as pixels, and the mark around the current frame.

#include "session/preview_layout.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

// The strip is 620 x 190 pixels from (10, 56); cells of 3 to 12 pixels, as large as fit.
TEST(PreviewLayout, DotsTakeTheLargestCellThatFitsAndWrapIntoRows) {
    struct Case {
        std::size_t count, d;
        DotPlace expected;
    };
    const std::vector<Case> cases{
        {3, 0, {16, 62, 5, true}},  // few dots: 12-pixel cells
        {3, 1, {28, 62, 5, true}},
        {3, 51, {16, 74, 5, true}},              // 51 cells to a row: the second row
        {1000, 999, {85, 221, 4, true}},         // 10-pixel cells, 62 to a row: row 16, column 7
        {10000, 206, {11, 60, 1, true}},         // the smallest cells, 206 to a row
        {10000, 62 * 206, {11, 243, 1, true}},   // the last row that fits
        {16384, 63 * 206, {11, 246, 1, false}},  // below the strip: not drawn
    };
    for (const Case& c : cases) EXPECT_EQ(previewDotPlace(c.count, c.d), c.expected) << c.count << " dots, dot " << c.d;
}

TEST(PreviewLayout, TheOverviewHasAPixelPerDotAndARowPerFrame) {
    PreviewFrame first, second;
    first.dots = {PreviewDot{1, 2, 3, true}, PreviewDot{}};
    second.dots = {PreviewDot{4, 5, 6, true}};
    const OverviewPixels image = previewOverviewPixels({first, second});
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(image.at(0, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(image.at(1, 0), (Rgb{160, 160, 160})) << "a dot the file does not hold is grey, not black";
    EXPECT_EQ(image.at(0, 1), (Rgb{4, 5, 6}));
    EXPECT_EQ(image.at(1, 1), (Rgb{255, 255, 255})) << "beyond a frame's dots";

    const OverviewPixels none = previewOverviewPixels({});
    EXPECT_EQ(none.width, 1);
    EXPECT_EQ(none.height, 1);
    EXPECT_EQ(none.at(0, 0), (Rgb{255, 255, 255}));
}

// The overview is 620 x 134 pixels from (10, 256); the mark lies one pixel outside its row.
TEST(PreviewLayout, TheMarkFramesTheCurrentFramesRow) {
    EXPECT_EQ(previewMarker(0, 2), (Area{9, 255, 622, 69}));
    EXPECT_EQ(previewMarker(1, 2), (Area{9, 322, 622, 69}));
    EXPECT_EQ(previewMarker(255, 256), (Area{9, 388, 622, 3})) << "rows under a pixel high: a mark of one";
}

// What the preview paints: a frame of two dots (one the file does not hold) in the strip, then
// the overview of two frames with the second frame's row marked.
TEST(PreviewLayout, ThePictureIsAListOfShapesAtTheDpi) {
    using K = PreviewShape::Kind;
    PreviewPicture picture;
    picture.frame.dots = {PreviewDot{1, 2, 3, true}, PreviewDot{}};
    picture.current = 1;
    picture.frames = 2;
    PreviewOverview overview;
    overview.set({picture.frame, picture.frame});
    overview.set({picture.frame, picture.frame});
    const Rgb grey{160, 160, 160}, red{255, 0, 0}, black{0, 0, 0}, dot{1, 2, 3};
    PreviewPicture noFrames = picture;
    noFrames.frames = 0;
    struct Case {
        const char* what;
        const PreviewPicture& picture;
        PreviewOverview overview;
        int dpi;
        std::vector<PreviewShape> expected;
    };
    const std::vector<PreviewShape> strip{{K::face, {0, 0, 640, 400}},
                                          {K::fill, {10, 56, 620, 190}, black},
                                          {K::disc, {11, 57, 10, 10}, dot},
                                          {K::ring, {23, 57, 10, 10}, grey}};
    const PreviewShape overviewShape{K::overview, {10, 256, 620, 134}, {}, 2}, mark{K::frame, {9, 322, 622, 69}, red};
    const auto plus = [](std::vector<PreviewShape> shapes, std::initializer_list<PreviewShape> more) {
        shapes.insert(shapes.end(), more);
        return shapes;
    };
    const std::vector<Case> cases{
        {"96 DPI: 12-pixel cells, dots of radius 5 centred at (16, 62) and (28, 62)", picture, overview, 96,
         plus(strip, {overviewShape, mark})},
        {"144 DPI: each edge one and a half times as far, the radius rounded down",
         picture,
         overview,
         144,
         {{K::face, {0, 0, 960, 600}},
          {K::fill, {15, 84, 930, 285}, black},
          {K::disc, {17, 86, 14, 14}, dot},
          {K::ring, {35, 86, 14, 14}, grey},
          {K::overview, {15, 384, 930, 201}, {}, 2},
          {K::frame, {14, 483, 933, 104}, red}}},
        {"no overview yet: neither it nor the mark", picture, PreviewOverview{}, 96, strip},
        {"a show of no frames: no mark", noFrames, overview, 96, plus(strip, {overviewShape})},
    };
    for (const Case& c : cases) EXPECT_EQ(previewShapes(c.picture, c.overview, c.dpi), c.expected) << c.what;
}

// The dialog (outer frame 275 x 181) and the preview (646 x 425) beside a main window of 815 x 290.
TEST(PreviewLayout, AWindowComesBesideTheMainWindowClearOfItAndOfTheOtherInsideTheWorkArea) {
    struct Size {
        int width, height;
    };
    struct Case {
        const char* what;
        Area main, work;
        Size size;
        std::vector<Area> shown;
        Point expected;
        std::optional<Point> last = {};  // up before, there
    };
    const Area hd{0, 0, 1920, 1040}, small{0, 0, 1024, 768};
    const Area usual{100, 50, 815, 290}, low{100, 600, 815, 290}, corner{0, 0, 815, 290};
    const Size preview{646, 425}, dialog{275, 181};
    const std::vector<Case> cases{
        {"room below", usual, hd, preview, {}, {100, 340}},
        {"the dialog below too", usual, hd, dialog, {}, {100, 340}},
        {"no room below: beside", {100, 500, 815, 290}, hd, preview, {}, {915, 500}},
        {"beside, pushed up into the work area", {100, 800, 815, 290}, hd, preview, {}, {915, 615}},
        {"room neither below nor beside: below, pushed up", {0, 400, 815, 290}, small, preview, {}, {0, 343}},
        {"at the right and bottom edges: to its left", {1100, 700, 815, 290}, hd, preview, {}, {454, 615}},
        {"as wide as the screen at its bottom: above", {0, 700, 1900, 290}, hd, preview, {}, {0, 275}},
        {"a main window off the left edge", {-300, 0, 815, 290}, hd, preview, {}, {0, 290}},
        {"a work area smaller than the window: its corner", corner, {0, 30, 600, 400}, preview, {}, {0, 30}},
        {"the preview below: the dialog beside", usual, hd, dialog, {{100, 340, 646, 425}}, {915, 50}},
        {"the dialog below: the preview right of it", corner, small, preview, {{0, 290, 275, 181}}, {275, 290}},
        {"no room below, the dialog beside: right of it", low, hd, preview, {{915, 600, 275, 181}}, {1190, 615}},
        {"no room clear of both: over the dialog", corner, small, preview, {{0, 290, 600, 300}}, {0, 290}},
        {"up before, that place clear: back there", usual, hd, preview, {}, {1200, 100}, {{1200, 100}}},
        {"up before, now over the main window: again", usual, hd, preview, {}, {100, 340}, {{300, 100}}},
        {"up before, now over the dialog: again", corner, small, preview, {{0, 290, 275, 181}}, {275, 290}, {{0, 290}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeBeside(c.main, c.size.width, c.size.height, c.work, c.shown, c.last), c.expected) << c.what;
}

}  // namespace
}  // namespace pelmora
