#include "platform/win32/utf.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

TEST(Utf, ChineseTextRoundTripsThroughUtf16) {
    const std::string text = "演示节目\\彩虹_渐变.led";
    const std::wstring wide = toWide(text);
    EXPECT_EQ(wide, L"\u6f14\u793a\u8282\u76ee\\\u5f69\u8679_\u6e10\u53d8.led");
    EXPECT_EQ(toUtf8(wide), text);
    EXPECT_EQ(toUtf8(toWide("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");  // beyond the BMP: a surrogate pair
    EXPECT_EQ(toWide("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(Utf, EmptyStaysEmptyAndBrokenBytesBecomeReplacementCharacters) {
    EXPECT_EQ(toWide(""), L"");
    EXPECT_EQ(toUtf8(L""), "");
    EXPECT_EQ(toWide("a\xFF"
                     "b"),
              L"a\uFFFDb");
    EXPECT_EQ(toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");  // a lone surrogate
}

}  // namespace
}  // namespace pelmora
