#include "download/memory_image.h"

#include <gtest/gtest.h>

#include "led_builder.h"
#include "same_bytes.h"

namespace pelmora {
namespace {

using testing::LedFileSpec;
using testing::makeLedFile;

Bytes fileFor(int dots, int frames) {
    LedFileSpec led;
    led.dots = dots;
    led.frames = frames;
    return makeLedFile(led);
}

std::vector<std::uint8_t> header(const MemoryImage& image) {
    return {image.sendBuffer.begin(), image.sendBuffer.end()};
}

TEST(MemoryImage, TwoShowsByteForByte) {
    ShowTable table;
    const Bytes a = fileFor(10, 4), b = fileFor(2, 3);
    ASSERT_EQ(table.append(10, 4, a, 0), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(2, 3, b, 0), ShowTable::AppendResult::added);
    const MemoryImage image = buildMemoryImage(table, 5);

    std::vector<std::uint8_t> expected{0x00, 0x8A, 0x02, 0x05, 0x00, 0x1E, 0x00, 0x04,
                                       0x00, 0x26, 0x00, 0x06, 0x00, 0x03, 0x00, 0x9E};
    expected.resize(38, 0);
    EXPECT_EQ(header(image), expected);

    ASSERT_EQ(image.imageBuffer.size(), 65536u);
    for (int f = 0; f < 4; ++f)
        EXPECT_TRUE(
            std::equal(a.begin() + 512 + f * 512, a.begin() + 512 + f * 512 + 30, image.imageBuffer.begin() + f * 30));
    for (int f = 0; f < 3; ++f)
        EXPECT_TRUE(std::equal(b.begin() + 512 + f * 512, b.begin() + 512 + f * 512 + 6,
                               image.imageBuffer.begin() + 120 + f * 6));
    EXPECT_TRUE(std::all_of(image.imageBuffer.begin() + 138, image.imageBuffer.end(), [](auto v) { return v == 0; }));
}

TEST(MemoryImage, AFullTableGivesEBDA) {
    ShowTable table;
    ASSERT_EQ(table.append(20126, 1, fileFor(20126, 1), 0), ShowTable::AppendResult::added);
    const MemoryImage image = buildMemoryImage(table, 30);
    EXPECT_EQ(image.sendBuffer[0], 0xEB);
    EXPECT_EQ(image.sendBuffer[1], 0xDA);
    EXPECT_EQ(image.sendBuffer[3], 0x1E);  // 300 ms
    EXPECT_TRUE(sameBytes(table.showPixels(1), std::span(image.imageBuffer).first(60378)));
}

TEST(MemoryImage, RecordsOfAbsentShowsStayZero) {
    ShowTable table;
    const Bytes file = fileFor(4, 2);
    for (int s = 1; s <= 5; ++s) ASSERT_EQ(table.append(4, 2, file, 0), ShowTable::AppendResult::added);
    MemoryImage five = buildMemoryImage(table, 1);
    EXPECT_EQ(five.sendBuffer[2], 5);
    // Show 5: 12 bytes a frame, 2 frames, starting at 38 + 4 * 24 = 134.
    EXPECT_EQ(header(five),
              (std::vector<std::uint8_t>{0, 120, 5,  1, 0,  12, 0, 2, 0,   38, 0,  12, 0, 2, 0,   62, 0, 12, 0,
                                         2, 0,   86, 0, 12, 0,  2, 0, 110, 0,  12, 0,  2, 0, 134, 0,  0, 0,  0}));

    // After removals the remaining shows fill the first records and nothing stale is left.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(table.remove(0));
    const MemoryImage one = buildMemoryImage(table, 5);
    EXPECT_EQ(one.sendBuffer[2], 1);
    EXPECT_TRUE(std::all_of(one.sendBuffer.begin() + 10, one.sendBuffer.end(), [](auto v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(one.imageBuffer.begin() + 24, one.imageBuffer.end(), [](auto v) { return v == 0; }));
}

TEST(MemoryImage, ShowsFollowEachOtherInTheirColourOrder) {
    ShowTable table;
    const Bytes a = fileFor(3, 2), b = fileFor(5, 1);
    ASSERT_EQ(table.append(3, 2, a, 5), ShowTable::AppendResult::added);
    ASSERT_EQ(table.append(5, 1, b, 5), ShowTable::AppendResult::added);
    const MemoryImage image = buildMemoryImage(table, 5);
    std::vector<std::uint8_t> expected;
    for (int f = 0; f < 2; ++f)
        for (int d = 0; d < 3; ++d)
            for (int k = 2; k >= 0; --k) expected.push_back(a[static_cast<std::size_t>(512 + f * 512 + d * 3 + k)]);
    for (int d = 0; d < 5; ++d)
        for (int k = 2; k >= 0; --k) expected.push_back(b[static_cast<std::size_t>(512 + d * 3 + k)]);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.imageBuffer.begin()));
}

}  // namespace
}  // namespace pelmora
