#include "show/dialog_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pelmora {
namespace {

TEST(KeyFilter, LetsInDigitsBackspaceAndCodesFrom127) {
    for (int code = '0'; code <= '9'; ++code) EXPECT_TRUE(keyFilterAccepts(static_cast<std::int16_t>(code))) << code;
    EXPECT_TRUE(keyFilterAccepts(8));
    EXPECT_TRUE(keyFilterAccepts(127));
    EXPECT_TRUE(keyFilterAccepts(0x4E00));  // 一
    EXPECT_TRUE(keyFilterAccepts(32767));
}

TEST(KeyFilter, RefusesControlsPunctuationLettersAndNegativeCodes) {
    for (int code = -32768; code <= 126; ++code) {
        if (code == 8 || (code >= '0' && code <= '9')) continue;
        EXPECT_FALSE(keyFilterAccepts(static_cast<std::int16_t>(code))) << code;
    }
    // Characters from U+8000 on are negative as signed 16-bit codes.
    EXPECT_FALSE(keyFilterAccepts(static_cast<std::int16_t>(0xFF11)));  // a full-width digit
}

TEST(LeadingNumber, ReadsTheDecimalNumberAtTheStart) {
    EXPECT_EQ(leadingNumber("12"), 12);
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("  7"), 7);
    EXPECT_EQ(leadingNumber("2.5"), 2.5);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("5."), 5);
    EXPECT_EQ(leadingNumber("-4"), -4);
    EXPECT_EQ(leadingNumber("+3"), 3);
    EXPECT_EQ(leadingNumber("1e3"), 1000);
    EXPECT_EQ(leadingNumber("1e"), 1);
    EXPECT_EQ(leadingNumber("1e+"), 1);
    EXPECT_EQ(leadingNumber("0012"), 12);
}

TEST(LeadingNumber, IsZeroWithoutANumber) {
    for (const char* text : {"", "abc", "nan", "inf", "-", ".", "e5", "0x10", "一二三", " "})
        EXPECT_EQ(leadingNumber(text), 0) << text;
}

TEST(LeadingNumber, HugeAndTinyValues) {
    EXPECT_TRUE(std::isinf(leadingNumber("1e400")));
    EXPECT_TRUE(std::isinf(leadingNumber(std::string(400, '9'))));
    EXPECT_EQ(leadingNumber("1e-400"), 0);
    EXPECT_EQ(leadingNumber("0." + std::string(400, '0') + "1"), 0);
    EXPECT_TRUE(std::isinf(leadingNumber("0.0001e400")));
    EXPECT_TRUE(std::signbit(leadingNumber("-0")));
}

TEST(MinimumOneRule, ReplacesValuesBelowOne) {
    for (const char* text : {"", "0", "-4", "0.5", "abc", "nan", "-0", "一", "0.999"})
        EXPECT_TRUE(belowMinimum(text)) << text;
    for (const char* text : {"1", "2.5", "12abc", "1e400", "1.0"}) EXPECT_FALSE(belowMinimum(text)) << text;
}

TEST(WholeNumber, RoundsHalfToEven) {
    EXPECT_EQ(wholeNumber("2.5"), 2);
    EXPECT_EQ(wholeNumber("3.5"), 4);
    EXPECT_EQ(wholeNumber("1.4"), 1);
    EXPECT_EQ(wholeNumber("12abc"), 12);
    EXPECT_EQ(wholeNumber("abc"), 0);
    EXPECT_EQ(wholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(wholeNumber("2147483648"), 2147483648LL);
}

TEST(WholeNumber, NothingForValuesNoIntegerCanHold) {
    EXPECT_FALSE(wholeNumber("1e400"));
    EXPECT_FALSE(wholeNumber("-1e400"));
    EXPECT_FALSE(wholeNumber("9223372036854775808"));
    EXPECT_FALSE(wholeNumber(std::string(20, '9')));
    EXPECT_EQ(wholeNumber("9223372036854774784"), 9223372036854774784LL);
}

}  // namespace
}  // namespace pelmora
