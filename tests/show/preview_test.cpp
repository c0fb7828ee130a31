// The preview's frames: the file's own colours whatever the colour order, and the dots a file does
// not hold marked missing.

#include "show/preview.h"

#include <gtest/gtest.h>

#include "led_builder.h"

namespace pelmora {
namespace {

using testing::makeLedFile;
using testing::patternPixel;

PreviewDot fileDot(int frame, int dot) {
    return {patternPixel(frame, dot, 0), patternPixel(frame, dot, 1), patternPixel(frame, dot, 2), true};
}

// Every colour order stores the bytes differently; the preview of the stored show and of the
// pending file both give the file's red, green and blue.
TEST(PreviewFrame, GivesTheFilesColoursInEveryColourOrder) {
    const Bytes file = makeLedFile({.dots = 4, .frames = 3});
    for (int order = 0; order < 6; ++order) {
        SCOPED_TRACE(order);
        ShowTable table;
        ASSERT_EQ(table.append(4, 3, file, order), ShowTable::AppendResult::added);
        for (int f = 0; f < 3; ++f) {
            const PreviewFrame stored = previewFrame(table, 1, f);
            const PreviewFrame pending = previewFrame(file, 4, 3, 512, f);
            ASSERT_EQ(stored.dotCount, 4);
            ASSERT_EQ(stored.dots.size(), 4u);
            for (int d = 0; d < 4; ++d) {
                EXPECT_EQ(stored.dots[static_cast<std::size_t>(d)], fileDot(f, d)) << "frame " << f << " dot " << d;
                EXPECT_EQ(pending.dots[static_cast<std::size_t>(d)], fileDot(f, d)) << "frame " << f << " dot " << d;
            }
        }
    }
}

// Numbers typed beyond the file: what it holds is shown, the rest is missing rather than black.
TEST(PreviewFrame, MarksWhatTheFileDoesNotHoldAsMissing) {
    // Two frames of four dots, the second cut after 8 of its bytes: two whole dots and a part.
    const Bytes file = makeLedFile({.dots = 4, .frames = 2, .lastFrameShortBy = 512 - 8});
    const PreviewDot missing{};
    struct Case {
        std::int64_t dots, frames, f;
        std::vector<PreviewDot> expected;
    };
    const std::vector<Case> cases{
        {4, 2, 0, {fileDot(0, 0), fileDot(0, 1), fileDot(0, 2), fileDot(0, 3)}},
        {4, 2, 1, {fileDot(1, 0), fileDot(1, 1), missing, missing}},
        {2, 3, 2, {missing, missing}},  // a third frame typed for a file of two
        {3, 2, -1, {missing, missing, missing}},
        {0, 2, 0, {}},
    };
    for (const Case& c : cases) {
        const PreviewFrame frame = previewFrame(file, c.dots, c.frames, 512, c.f);
        EXPECT_EQ(frame.dotCount, c.dots);
        EXPECT_EQ(frame.dots, c.expected) << c.dots << " dots, frame " << c.f;
    }
    // Typed dots reaching past a frame's own bytes read on into the file, as the import would.
    const PreviewFrame wide = previewFrame(file, 6, 2, 512, 0);
    EXPECT_TRUE(wide.dots[5].present);
    EXPECT_EQ(wide.dots[5], (PreviewDot{0, 0, 0, true}));
}

TEST(PreviewFrame, AHugeTypedDotCountGivesABoundedFrame) {
    const Bytes file = makeLedFile({.dots = 4, .frames = 1});
    const PreviewFrame frame = previewFrame(file, 2'000'000'000, 2'000'000'000, 512, 1'999'999'999);
    EXPECT_EQ(frame.dotCount, 2'000'000'000);
    EXPECT_EQ(frame.dots.size(), 16384u);
    for (const PreviewDot& dot : frame.dots) EXPECT_FALSE(dot.present);
    EXPECT_EQ(previewFrame(file, 20'000, 1, 512, 0).dots[4], (PreviewDot{0, 0, 0, true}));
    EXPECT_FALSE(previewFrame(file, 20'000, 1, 512, 0).dots[200].present);
}

TEST(PreviewFrame, AShowOrFrameTheTableDoesNotHaveGivesNoDot) {
    ShowTable table;
    ASSERT_EQ(table.append(4, 2, makeLedFile({.dots = 4, .frames = 2}), 3), ShowTable::AppendResult::added);
    EXPECT_TRUE(previewFrame(table, 0, 0).dots.empty());
    EXPECT_TRUE(previewFrame(table, 2, 0).dots.empty());
    const PreviewFrame beyond = previewFrame(table, 1, 2);
    ASSERT_EQ(beyond.dots.size(), 4u);
    for (const PreviewDot& dot : beyond.dots) EXPECT_FALSE(dot.present);
}

}  // namespace
}  // namespace pelmora
