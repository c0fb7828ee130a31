#include "show/show_table.h"

#include <gtest/gtest.h>

#include <numeric>

#include "led_builder.h"
#include "same_bytes.h"
#include "show/colour_order.h"
#include "show/led_file.h"

namespace pelmora {
namespace {

using testing::LedFileSpec;
using testing::makeLedFile;
using testing::patternPixel;

// A file with the given numbers; frames are full, stride 512 unless the frame needs more.
Bytes fileFor(int dots, int frames) {
    LedFileSpec led;
    led.dots = dots;
    led.frames = frames;
    led.sectorsMinusOne = static_cast<std::uint8_t>(std::min(62, (dots * 3 - 1) / 512));
    return makeLedFile(led);
}

TEST(UsedMemoryText, ShowsPercentOfCapacityWithTwoDecimals) {
    EXPECT_EQ(usedMemoryText(0), "0.00%");
    EXPECT_EQ(usedMemoryText(3000), "4.97%");
    EXPECT_EQ(usedMemoryText(1500), "2.48%");
    EXPECT_EQ(usedMemoryText(30189), "50.00%");
    EXPECT_EQ(usedMemoryText(60377), "100.00%");
    EXPECT_EQ(usedMemoryText(60378), "100.00%");
}

TEST(ShowTable, StartsEmptyWithTheHeaderAsFirstOffset) {
    ShowTable table;
    EXPECT_EQ(table.showCount(), 0);
    EXPECT_EQ(table.usedBytes(), 0);
    EXPECT_EQ(table.showOffset(0), 38);
    EXPECT_TRUE(table.consistent());
    for (int s = 1; s <= maxShows; ++s) {
        const auto slot = table.slot(s);
        ASSERT_EQ(slot.size(), static_cast<std::size_t>(controllerCapacity));
        EXPECT_TRUE(std::all_of(slot.begin(), slot.end(), [](auto b) { return b == 0; })) << "slot " << s;
    }
}

TEST(ShowTable, OffsetsAndTotalFollowTheSizes) {
    ShowTable table;
    // 3000, 1500 and 600 bytes.
    ASSERT_EQ(table.append(100, 10, fileFor(100, 10), 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(50, 10, fileFor(50, 10), 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(20, 10, fileFor(20, 10), 0), ShowTable::AppendResult::added);
    EXPECT_EQ(table.showOffset(0), 38);
    EXPECT_EQ(table.showOffset(1), 3038);
    EXPECT_EQ(table.showOffset(2), 4538);
    EXPECT_EQ(table.showOffset(3), 5138);
    EXPECT_EQ(table.usedBytes(), 5100);
    EXPECT_EQ(table.showFrameBytes(2), 150);
    EXPECT_EQ(table.showFrames(2), 10);
    EXPECT_EQ(table.showSize(2), 1500);
    EXPECT_EQ(table.showStride(2), 512);
    EXPECT_TRUE(table.consistent());
}

TEST(ShowTable, CapacityAllowsExactlyTheControllersMemory) {
    ShowTable table;
    // 20126 dots of one frame: 60378 bytes.
    const Bytes full = fileFor(20126, 1);
    EXPECT_EQ(table.append(20126, 1, full, 0), ShowTable::AppendResult::added);
    EXPECT_EQ(table.usedBytes(), controllerCapacity);

    ShowTable other;
    ASSERT_EQ(other.append(20000, 1, fileFor(20000, 1), 0), ShowTable::AppendResult::added);
    // 60000 + 381 = 60381: refused, nothing changes.
    EXPECT_EQ(other.append(127, 1, fileFor(127, 1), 0), ShowTable::AppendResult::overCapacity);
    EXPECT_EQ(other.showCount(), 1);
    EXPECT_EQ(other.usedBytes(), 60000);
    EXPECT_TRUE(other.consistent());
}

TEST(ShowTable, SixthShowIsRefused) {
    ShowTable table;
    const Bytes file = fileFor(2, 2);
    for (int s = 1; s <= maxShows; ++s) ASSERT_EQ(table.append(2, 2, file, 0), ShowTable::AppendResult::added);
    EXPECT_EQ(table.append(2, 2, file, 0), ShowTable::AppendResult::tooManyShows);
    EXPECT_EQ(table.showCount(), 5);
    EXPECT_EQ(table.usedBytes(), 60);
}

TEST(ShowTable, NumbersBeyondTheFileOrThirtyTwoBitsAreRefusedWithoutChange) {
    ShowTable table;
    const Bytes file = fileFor(100, 10);
    ASSERT_EQ(table.append(10, 1, file, 0), ShowTable::AppendResult::added);
    const auto before = std::vector<std::uint8_t>(table.slot(2).begin(), table.slot(2).end());

    EXPECT_EQ(table.append(171, 10, file, 0), ShowTable::AppendResult::beyondFile);  // 513 bytes: past the end
    EXPECT_EQ(table.append(100, 11, file, 0), ShowTable::AppendResult::beyondFile);  // frames past the end
    EXPECT_EQ(table.append(-1, 10, file, 0), ShowTable::AppendResult::beyondFile);
    EXPECT_EQ(table.append(1, -3, file, 0), ShowTable::AppendResult::beyondFile);
    EXPECT_EQ(table.append(715827883, 1, file, 0), ShowTable::AppendResult::beyondFile);  // dots * 3 overflows
    EXPECT_EQ(table.append(65536, 65536, file, 0), ShowTable::AppendResult::beyondFile);  // size overflows
    EXPECT_EQ(table.append(1, 1, Bytes(16, 0), 0), ShowTable::AppendResult::beyondFile);  // no byte 16

    EXPECT_EQ(table.showCount(), 1);
    EXPECT_EQ(table.usedBytes(), 30);
    EXPECT_TRUE(table.consistent());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), table.slot(2).begin()));
}

TEST(ShowTable, ALastFrameThatIsShortOnlyInItsUnusedBytesIsEnough) {
    LedFileSpec led;
    led.dots = 100;
    led.frames = 3;
    led.lastFrameShortBy = 512 - 300;  // the last frame ends right after its dots
    ShowTable table;
    EXPECT_EQ(table.append(100, 3, makeLedFile(led), 0), ShowTable::AppendResult::added);
    led.lastFrameShortBy += 1;
    EXPECT_EQ(table.append(100, 3, makeLedFile(led), 0), ShowTable::AppendResult::beyondFile);
}

TEST(ShowTable, AppendReadsEachFrameFromItsOwnStart) {
    // 100 dots, 10 frames, stride 512: frame 2 comes from file bytes 1536..1835 into slot bytes 600..899.
    const Bytes file = fileFor(100, 10);
    ShowTable table;
    ASSERT_EQ(table.append(100, 10, file, 0), ShowTable::AppendResult::added);
    const auto slot = table.slot(1);
    EXPECT_TRUE(std::equal(file.begin() + 1536, file.begin() + 1836, slot.begin() + 600));

    // Fewer dots and frames than the file holds: the first 150 bytes of each of the first four frames.
    ShowTable smaller;
    ASSERT_EQ(smaller.append(50, 4, file, 0), ShowTable::AppendResult::added);
    for (int f = 0; f < 4; ++f)
        EXPECT_TRUE(std::equal(file.begin() + 512 + f * 512, file.begin() + 512 + f * 512 + 150,
                               smaller.slot(1).begin() + f * 150))
            << "frame " << f;
    EXPECT_EQ(smaller.usedBytes(), 600);
}

TEST(ShowTable, AppendPlacesEachDotInTheColourOrder) {
    LedFileSpec led;
    led.dots = 1;
    led.frames = 1;
    const Bytes file = makeLedFile(led, [](int, int, int k) { return static_cast<std::uint8_t>(10 * (k + 1)); });
    const std::array<std::array<std::uint8_t, 3>, colourOrderCount> expected{
        {{10, 20, 30}, {10, 30, 20}, {20, 10, 30}, {20, 30, 10}, {30, 10, 20}, {30, 20, 10}}};
    for (int order = 0; order < colourOrderCount; ++order) {
        ShowTable table;
        ASSERT_EQ(table.append(1, 1, file, order), ShowTable::AppendResult::added);
        const auto slot = table.slot(1);
        EXPECT_EQ((std::array<std::uint8_t, 3>{slot[0], slot[1], slot[2]}), expected[static_cast<std::size_t>(order)])
            << colourOrderTable[static_cast<std::size_t>(order)].item;
        EXPECT_EQ(table.showColourOrder(1), order);
    }
}

TEST(ShowTable, RemovalMovesTheLaterShowsDownWithTheirBytes) {
    const Bytes a = fileFor(100, 1), b = fileFor(100, 2), c = fileFor(100, 3);  // 300, 600, 900 bytes
    ShowTable table;
    ASSERT_EQ(table.append(100, 1, a, 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(100, 2, b, 2), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(100, 3, c, 5), ShowTable::AppendResult::added);
    const std::vector<std::uint8_t> second(table.showPixels(2).begin(), table.showPixels(2).end());
    const std::vector<std::uint8_t> third(table.showPixels(3).begin(), table.showPixels(3).end());

    ASSERT_TRUE(table.remove(0));
    EXPECT_EQ(table.showCount(), 2);
    EXPECT_EQ(table.usedBytes(), 1500);
    EXPECT_EQ(table.showOffset(1), 638);
    EXPECT_EQ(table.showOffset(2), 1538);
    EXPECT_EQ(table.showFrames(1), 2);
    EXPECT_EQ(table.showColourOrder(1), 2);
    EXPECT_EQ(table.showColourOrder(2), 5);
    EXPECT_TRUE(sameBytes(table.showPixels(1), second));
    EXPECT_TRUE(sameBytes(table.showPixels(2), third));
    EXPECT_TRUE(table.consistent());
}

TEST(ShowTable, RemovingTheLastOrOnlyShowAndRemovingNothing) {
    ShowTable table;
    ASSERT_EQ(table.append(100, 1, fileFor(100, 1), 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(100, 2, fileFor(100, 2), 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(100, 3, fileFor(100, 3), 0), ShowTable::AppendResult::added);
    const std::vector<std::uint8_t> first(table.showPixels(1).begin(), table.showPixels(1).end());

    EXPECT_FALSE(table.remove(3));
    EXPECT_FALSE(table.remove(-1));
    EXPECT_EQ(table.showCount(), 3);

    ASSERT_TRUE(table.remove(2));
    EXPECT_EQ(table.usedBytes(), 900);
    EXPECT_EQ(table.showOffset(1), 338);
    EXPECT_EQ(table.showOffset(2), 938);
    EXPECT_TRUE(sameBytes(table.showPixels(1), first));

    ASSERT_TRUE(table.remove(0));
    ASSERT_TRUE(table.remove(0));
    EXPECT_EQ(table.showCount(), 0);
    EXPECT_EQ(table.usedBytes(), 0);
    EXPECT_FALSE(table.remove(0));
    EXPECT_TRUE(table.consistent());
}

TEST(ShowTable, ANewShowAfterARemovalTakesTheFreedSlot) {
    ShowTable table;
    ASSERT_EQ(table.append(100, 3, fileFor(100, 3), 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(10, 1, fileFor(10, 1), 0), ShowTable::AppendResult::added);
    ASSERT_TRUE(table.remove(0));
    const Bytes next = fileFor(4, 2);
    ASSERT_EQ(table.append(4, 2, next, 0), ShowTable::AppendResult::added);
    EXPECT_EQ(table.showCount(), 2);
    EXPECT_EQ(table.showOffset(2), 38 + 30 + 24);
    EXPECT_TRUE(std::equal(next.begin() + 512, next.begin() + 524, table.slot(2).begin()));
    EXPECT_TRUE(std::equal(next.begin() + 1024, next.begin() + 1036, table.slot(2).begin() + 12));
}

TEST(ShowTable, ReorderingFromTheSlotEqualsImportingInTheNewOrder) {
    const Bytes file = fileFor(7, 5);
    for (int from = 0; from < colourOrderCount; ++from) {
        for (int to = 0; to < colourOrderCount; ++to) {
            ShowTable reordered, direct;
            ASSERT_EQ(reordered.append(7, 5, file, from), ShowTable::AppendResult::added);
            ASSERT_EQ(direct.append(7, 5, file, to), ShowTable::AppendResult::added);
            reordered.reorder(1, to);
            EXPECT_TRUE(sameBytes(reordered.showPixels(1), direct.showPixels(1))) << from << " -> " << to;
            EXPECT_EQ(reordered.showColourOrder(1), to);
        }
    }
}

TEST(ShowTable, RewritingFromAFileLeavesBytesPastTheShowAlone) {
    ShowTable table;
    ASSERT_EQ(table.append(100, 2, fileFor(100, 2), 0), ShowTable::AppendResult::added);  // 600 bytes in slot 1
    ASSERT_TRUE(table.remove(0));
    const Bytes small = fileFor(10, 1);
    ASSERT_EQ(table.append(10, 1, small, 0), ShowTable::AppendResult::added);  // 30 bytes in slot 1
    const std::vector<std::uint8_t> leftOver(table.slot(1).begin() + 30, table.slot(1).begin() + 600);

    EXPECT_TRUE(table.rewriteFromFile(1, small, 5));
    EXPECT_TRUE(std::equal(leftOver.begin(), leftOver.end(), table.slot(1).begin() + 30));
    EXPECT_EQ(table.slot(1)[0], small[514]);
    EXPECT_FALSE(table.rewriteFromFile(1, Bytes(small.begin(), small.begin() + 541), 0));  // one byte short
    EXPECT_EQ(table.showColourOrder(1), 5);
}

}  // namespace
}  // namespace pelmora
