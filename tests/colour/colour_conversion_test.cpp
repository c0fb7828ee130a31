#include "colour/colour_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes.h"
#include "led_builder.h"
#include "show/colour_order.h"
#include "show/led_file.h"

namespace pelmora {
namespace {

using testing::FakeMainView;
using testing::LedFileSpec;
using testing::makeLedFile;
using testing::TempDir;

class ConversionTest : public ::testing::Test {
protected:
    // Imports a show as the append does: the table gets the pixels, the list the path.
    Bytes add(const std::string& name, int dots, int frames, int order = 0, std::uint8_t sectors = 0) {
        LedFileSpec led;
        led.dots = dots;
        led.frames = frames;
        led.sectorsMinusOne = sectors;
        Bytes file = makeLedFile(led);
        const auto path = dir.write(name, file);
        EXPECT_EQ(table.append(dots, frames, file, order), ShowTable::AppendResult::added);
        view.addShowEntry(path);
        return file;
    }
    void choose(int order) {
        view.colourSelected = order;
        report = convertColourOrder(table, view);
    }
    // Every dot of show s holds its file's bytes in `order`.
    void expectShowInOrder(int s, const Bytes& file, int order) {
        const auto pixels = table.showPixels(s);
        const auto& from = colourOrderTable[static_cast<std::size_t>(order)].from;
        const int frameBytes = table.showFrameBytes(s), stride = table.showStride(s);
        for (int f = 0; f < table.showFrames(s); ++f)
            for (int q = 0; q < frameBytes; q += 3)
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(pixels[static_cast<std::size_t>(f * frameBytes + q + k)],
                              file[static_cast<std::size_t>(512 + f * stride + q + from[static_cast<std::size_t>(k)])])
                        << "show " << s << " frame " << f << " byte " << q + k;
        EXPECT_EQ(table.showColourOrder(s), order);
    }

    TempDir dir;
    ShowTable table;
    FakeMainView view;
    ConversionReport report;
};

TEST_F(ConversionTest, NoShowsNothingHappens) {
    choose(5);
    EXPECT_EQ(report.fromFile + report.fromSlot, 0);
    EXPECT_EQ(view.selected, -1);
}

TEST_F(ConversionTest, EveryShowFollowsTheChosenOrderAndTheSelectionEndsOnTheLast) {
    const Bytes a = add("a.led", 10, 4), b = add("b.led", 200, 3, 0, 1);
    const auto sizes = std::pair{table.usedBytes(), table.showOffset(2)};
    for (int order : {5, 2, 0, 3, 4, 1}) {
        choose(order);
        expectShowInOrder(1, a, order);
        expectShowInOrder(2, b, order);
        EXPECT_EQ(report.fromFile, 2);
        EXPECT_EQ(view.selected, 1);
    }
    EXPECT_EQ(std::pair(table.usedBytes(), table.showOffset(2)), sizes);
    EXPECT_EQ(view.entries.size(), 2u);
}

TEST_F(ConversionTest, BackToRgbRestoresTheImportedBytes) {
    add("a.led", 17, 5);
    const std::vector<std::uint8_t> imported(table.showPixels(1).begin(), table.showPixels(1).end());
    choose(2);
    EXPECT_FALSE(std::ranges::equal(table.showPixels(1), imported));
    choose(0);
    EXPECT_TRUE(std::ranges::equal(table.showPixels(1), imported));
}

TEST_F(ConversionTest, ImportingInAnOrderEqualsConvertingToIt) {
    add("a.led", 9, 3, 3);
    ShowTable other;
    LedFileSpec led;
    led.dots = 9;
    led.frames = 3;
    const Bytes file = makeLedFile(led);
    ASSERT_EQ(other.append(9, 3, file, 0), ShowTable::AppendResult::added);
    FakeMainView otherView;
    otherView.addShowEntry(dir.write("b.led", file));
    otherView.colourSelected = 3;
    convertColourOrder(other, otherView);
    EXPECT_TRUE(std::ranges::equal(table.showPixels(1), other.showPixels(1)));
}

TEST_F(ConversionTest, BytesPastAShowAreNotTouched) {
    add("big.led", 100, 3);
    table.remove(0);
    view.removeShowEntry(0);
    add("small.led", 5, 1);
    const std::vector<std::uint8_t> leftOver(table.slot(1).begin() + 15, table.slot(1).end());
    choose(5);
    EXPECT_TRUE(std::equal(leftOver.begin(), leftOver.end(), table.slot(1).begin() + 15));
}

TEST_F(ConversionTest, AShowWhoseFileIsGoneOrShortIsReorderedFromItsOwnBytes) {
    const Bytes a = add("a.led", 10, 4), b = add("b.led", 6, 5), c = add("c.led", 3, 2);
    choose(2);
    std::filesystem::remove(view.entries[0]);
    dir.write("b.led", Bytes(b.begin(), b.begin() + 512 + 4 * 512 + 17));  // one byte short of the last dot
    std::filesystem::remove(view.entries[2]);
    std::filesystem::create_directory(view.entries[2]);  // a folder where the file was
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
    add("a.led", 2, 1);
    LedFileSpec led;
    led.dots = 2;
    led.frames = 1;
    const Bytes replaced =
        makeLedFile(led, [](int, int d, int k) { return static_cast<std::uint8_t>(200 + d * 3 + k); });
    dir.write("a.led", replaced);
    choose(0);
    expectShowInOrder(1, replaced, 0);
}

}  // namespace
}  // namespace pelmora
