#include "colour/colour_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "expected_image.h"
#include "led_builder.h"
#include "same_bytes.h"

namespace pelmora {
namespace {

using testing::LedFileSpec;
using testing::makeLedFile;
using testing::storedFrom;

class ConversionTest : public ::testing::Test {
protected:
    // Imports a show as the append does; its file stays readable as it was.
    Bytes add(int dots, int frames, int order = 0, std::uint8_t sectors = 0) {
        LedFileSpec led;
        led.dots = dots;
        led.frames = frames;
        led.sectorsMinusOne = sectors;
        Bytes file = makeLedFile(led);
        EXPECT_EQ(table.append(dots, frames, file, order), ShowTable::AppendResult::added);
        files.push_back(file);
        return file;
    }
    // Chooses an order; show s's file is read as files[s - 1] is now (nothing: it cannot be read).
    void choose(int order) {
        asked.clear();
        report = convertColourOrder(table, order, [this](int s) {
            asked.push_back(s);
            return files.at(static_cast<std::size_t>(s - 1));
        });
    }
    // Every dot of show s holds its file's bytes in `order`.
    void expectShowInOrder(int s, const Bytes& file, int order) {
        const auto pixels = table.showPixels(s);
        const auto& from = storedFrom[static_cast<std::size_t>(order)];
        const int frameBytes = table.showFrameBytes(s), stride = table.showStride(s);
        for (int f = 0; f < table.showFrames(s); ++f)
            for (int q = 0; q < frameBytes; q += 3)
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(pixels[static_cast<std::size_t>(f * frameBytes + q + k)],
                              file[static_cast<std::size_t>(512 + f * stride + q + from[static_cast<std::size_t>(k)])])
                        << "show " << s << " frame " << f << " byte " << q + k;
        EXPECT_EQ(table.showColourOrder(s), order);
    }

    ShowTable table;
    std::vector<std::optional<Bytes>> files;
    std::vector<int> asked;  // the shows whose files were read, in order
    ConversionReport report;
};

TEST_F(ConversionTest, NoShowsNothingHappens) {
    choose(5);
    EXPECT_EQ(report.fromFile + report.fromSlot, 0);
    EXPECT_TRUE(asked.empty());
}

TEST_F(ConversionTest, EveryShowFollowsTheChosenOrderItsFileReadInShowOrder) {
    const Bytes a = add(10, 4), b = add(200, 3, 0, 1);
    const auto sizes = std::pair{table.usedBytes(), table.showOffset(2)};
    for (int order : {5, 2, 0, 3, 4, 1}) {
        choose(order);
        expectShowInOrder(1, a, order);
        expectShowInOrder(2, b, order);
        EXPECT_EQ(report.fromFile, 2);
        EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    }
    EXPECT_EQ(std::pair(table.usedBytes(), table.showOffset(2)), sizes);
}

TEST_F(ConversionTest, BackToRgbRestoresTheImportedBytes) {
    add(17, 5);
    const std::vector<std::uint8_t> imported(table.showPixels(1).begin(), table.showPixels(1).end());
    choose(2);
    EXPECT_FALSE(sameBytes(table.showPixels(1), imported));
    choose(0);
    EXPECT_TRUE(sameBytes(table.showPixels(1), imported));
}

TEST_F(ConversionTest, ImportingInAnOrderEqualsConvertingToIt) {
    const Bytes file = add(9, 3, 3);
    ShowTable other;
    ASSERT_EQ(other.append(9, 3, file, 0), ShowTable::AppendResult::added);
    convertColourOrder(other, 3, [&](int) { return std::optional<Bytes>(file); });
    EXPECT_TRUE(sameBytes(table.showPixels(1), other.showPixels(1)));
}

TEST_F(ConversionTest, BytesPastAShowAreNotTouched) {
    add(100, 3);
    table.remove(0);
    files.erase(files.begin());
    add(5, 1);
    const std::vector<std::uint8_t> leftOver(table.slot(1).begin() + 15, table.slot(1).end());
    choose(5);
    EXPECT_TRUE(std::equal(leftOver.begin(), leftOver.end(), table.slot(1).begin() + 15));
}

TEST_F(ConversionTest, AShowWhoseFileIsGoneOrShortIsReorderedFromItsOwnBytes) {
    const Bytes a = add(10, 4), b = add(6, 5), c = add(3, 2);
    choose(2);
    files[0].reset();                                             // gone
    files[1] = Bytes(b.begin(), b.begin() + 512 + 4 * 512 + 17);  // one byte short of the last dot
    files[2] = Bytes(c.begin(), c.begin() + 100);                 // now shorter than its header
    choose(4);
    EXPECT_EQ(report.fromSlot, 3);
    expectShowInOrder(1, a, 4);
    expectShowInOrder(2, b, 4);
    expectShowInOrder(3, c, 4);
    choose(0);
    expectShowInOrder(1, a, 0);
    EXPECT_TRUE(table.consistent());
}

TEST_F(ConversionTest, AReplacedFileIsReadAsItIsNow) {
    add(2, 1);
    LedFileSpec led;
    led.dots = 2;
    led.frames = 1;
    const Bytes replaced =
        makeLedFile(led, [](int, int d, int k) { return static_cast<std::uint8_t>(200 + d * 3 + k); });
    files[0] = replaced;
    choose(0);
    expectShowInOrder(1, replaced, 0);
}

}  // namespace
}  // namespace pelmora
