#include "show/led_file.h"

#include <gtest/gtest.h>

#include "led_builder.h"

namespace pelmora {
namespace {

// A file of `length` bytes whose header says `pixelBytes` per frame and `sectorsMinusOne`.
Bytes headerFile(std::size_t length, int pixelBytes, std::uint8_t sectorsMinusOne) {
    Bytes bytes(length, 0);
    if (length > 0) bytes[0] = static_cast<std::uint8_t>(pixelBytes & 0xFF);
    if (length > 1) bytes[1] = static_cast<std::uint8_t>(pixelBytes >> 8);
    if (length > 16) bytes[16] = sectorsMinusOne;
    return bytes;
}

TEST(LedHeader, EstimatesFramesFromTheLengthRoundingHalfToEven) {
    for (std::uint8_t sectors : {0, 3}) {
        const std::size_t stride = (sectors + 1u) * 512u;
        EXPECT_EQ(readLedHeader(headerFile(512 + 10 * stride, 300, sectors))->frameEstimate, 10);
        EXPECT_EQ(readLedHeader(headerFile(512 + 10 * stride + stride / 2, 300, sectors))->frameEstimate, 10);
        EXPECT_EQ(readLedHeader(headerFile(512 + 11 * stride + stride / 2, 300, sectors))->frameEstimate, 12);
        EXPECT_EQ(readLedHeader(headerFile(512 + 10 * stride + stride / 2 + 1, 300, sectors))->frameEstimate, 11);
    }
    EXPECT_EQ(readLedHeader(headerFile(512, 300, 0))->frameEstimate, 0);
    EXPECT_EQ(readLedHeader(headerFile(17, 300, 0))->frameEstimate, -1);  // (17 - 512) / 512 = -0.97
}

TEST(LedHeader, DotsAreThePixelBytesDividedByThree) {
    EXPECT_EQ(readLedHeader(headerFile(600, 300, 0))->headerDots, 100);  // bytes 44, 1
    EXPECT_EQ(readLedHeader(headerFile(600, 302, 0))->headerDots, 100);  // bytes 46, 1
    EXPECT_EQ(readLedHeader(headerFile(600, 0x7FFF, 0))->headerDots, 10922);
    EXPECT_EQ(readLedHeader(headerFile(600, 2, 0))->headerDots, 0);
}

TEST(LedHeader, StrideComesFromByteSixteen) {
    EXPECT_EQ(readLedHeader(headerFile(600, 3, 0))->stride, 512);
    EXPECT_EQ(readLedHeader(headerFile(600, 3, 62))->stride, 32256);
}

TEST(LedHeader, WrongFilesAreRefused) {
    EXPECT_FALSE(readLedHeader(headerFile(600, 0x8000, 0)));  // byte 1 = 0x80
    EXPECT_FALSE(readLedHeader(headerFile(600, 0xFF2C, 0)));  // byte 1 = 0xFF
    EXPECT_FALSE(readLedHeader(headerFile(600, 3, 63)));      // byte 16 = 63
    EXPECT_FALSE(readLedHeader(headerFile(600, 3, 255)));
    EXPECT_FALSE(readLedHeader(headerFile(16, 3, 0)));  // byte 16 missing
    EXPECT_FALSE(readLedHeader(Bytes{}));
    EXPECT_TRUE(readLedHeader(headerFile(17, 3, 0)));  // the shortest file that passes
}

}  // namespace
}  // namespace pelmora
