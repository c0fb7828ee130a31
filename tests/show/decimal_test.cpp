#include "show/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace pelmora {
namespace {

std::uint64_t bitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// 2^-1075, half of the smallest double, written out exactly.
const std::string halfOfSmallest =
    "2.47032822920623272088284396434110686182529901307162382212792841250337753635104375932649918180817996"
    "1898982823477228588654633283551779698981993873980053909390631503565951557022639229085839244910518443"
    "5931802849936536152500319370457678249219365623669863658480757001585769269903706311928279558551332927"
    "8343384093519780155312465972635795746227664652728272200563740064854999770965994704540208281662262378"
    "5739345073633900796776193057750674017632467360096895134053553745851666113422376667860416215968046191"
    "4467291840300530057530849048765391711386591646239524912623653881879636239373280423891018672348497668"
    "2350898633885879256283027559956575244555072551893136908362547791869486679949683240497058210285131854"
    "51396213837722826145437693412532098591327667236328125";

TEST(DecimalValue, IsTheNearestDoubleWithHalvesToEven) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string zeros(900, '0');
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        {"0", 0.0},
        {"0.1", 0x1.999999999999ap-4},
        {"0.3", 0x1.3333333333333p-2},
        {"2.5e1", 25.0},
        {"+1.5E+2", 150.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"000120e-1", 12.0},
        {"1e23", 0x1.52d02c7e14af6p+76},
        {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96},
        {"9007199254740993", 9007199254740992.0},  // 2^53 + 1: a half, to the even 2^53
        {"9007199254740995", 9007199254740996.0},
        {"9007199254740993.00001", 9007199254740994.0},
        {"9007199254740993." + zeros + "1", 9007199254740994.0},  // the one digit past 800 decides
        {"9007199254740993." + zeros, 9007199254740992.0},
        {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {"4.9406564584124654e-324", 0x1p-1074},
        {"2.4703282292062328e-324", 0x1p-1074},
        {"2.4703282292062327e-324", 0.0},
        {halfOfSmallest + "e-324", 0.0},
        {halfOfSmallest + "000000000000000000000000000000000000000000001e-324", 0x1p-1074},
        {"1.7976931348623157e308", 0x1.fffffffffffffp+1023},
        {"1.7976931348623158e308", 0x1.fffffffffffffp+1023},
        {"1.7976931348623159e308", inf},
        {"1e400", inf},
        {"1e-400", 0.0},
        {"0.0001e312", 1e308},
        {"1e999999999999999999999", inf},
        {"1e-999999999999999999999", 0.0},
        {"0." + std::string(400, '0') + "1e400", 0.1},
        {"-2.5", -2.5},
    };
    for (const auto& c : cases) EXPECT_EQ(bitsOf(decimalValue(c.text)), bitsOf(c.expected)) << c.text.substr(0, 60);
    EXPECT_TRUE(std::signbit(decimalValue("-0")));
    EXPECT_TRUE(std::signbit(decimalValue("-1e-400")));
}

TEST(FixedDecimal, RoundsTheExactBinaryValue) {
    const struct {
        double value;
        int places;
        const char* expected;
    } cases[] = {
        {0.0, 2, "0.00"},
        {-0.0, 2, "-0.00"},
        {0.125, 2, "0.12"},  // exact halves to the even digit
        {0.375, 2, "0.38"},
        {2.5, 0, "2"},
        {3.5, 0, "4"},
        {-2.5, 0, "-2"},
        {0.5, 0, "0"},
        {0.7, 0, "1"},
        {1.005, 2, "1.00"},  // just below the half in binary
        {2.675, 2, "2.67"},
        {99.995, 2, "100.00"},  // just above it, carried into a new digit
        {100.0, 2, "100.00"},
        {0.1, 20, "0.10000000000000000555"},
        {1e22, 1, "10000000000000000000000.0"},
        {1e23, 0, "99999999999999991611392"},
        {0x1p-1074, 2, "0.00"},
        {-0.001, 2, "-0.00"},
        {std::numeric_limits<double>::infinity(), 2, "inf"},
        {-std::numeric_limits<double>::infinity(), 2, "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "nan"},
    };
    for (const auto& c : cases) EXPECT_EQ(fixedDecimal(c.value, c.places), c.expected) << c.value;
}

#if defined(__cpp_lib_to_chars)
// Against the standard library where it has floating-point from_chars and to_chars: numbers of
// every shape from a fixed sequence, so that a failure comes back the same on every run.
class Numbers {
public:
    std::uint64_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return state_ >> 11;
    }
    std::string text() {
        std::string t;
        const int length = 1 + static_cast<int>(next() % 40);
        for (int i = 0; i < length; ++i) t += static_cast<char>('0' + next() % 10);
        if (next() % 2 != 0) t.insert(next() % t.size(), ".");
        if (next() % 2 != 0) t += "e" + std::to_string(static_cast<int>(next() % 700) - 350);
        return t;
    }

private:
    std::uint64_t state_ = 20261208;
};

TEST(DecimalValue, AgreesWithTheStandardLibrary) {
    Numbers numbers;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = numbers.text();
        double expected = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
        if (error != std::errc{}) continue;  // out of range: the standard library leaves it alone
        ASSERT_EQ(end, text.data() + text.size()) << text;
        ASSERT_EQ(bitsOf(decimalValue(text)), bitsOf(expected)) << text;
    }
}

TEST(FixedDecimal, AgreesWithTheStandardLibrary) {
    Numbers numbers;
    for (int i = 0; i < 20000; ++i) {
        const int exponent = static_cast<int>(numbers.next() % 120) - 50;
        const double value = std::ldexp(static_cast<double>(numbers.next() >> 11), exponent - 53);
        const int places = static_cast<int>(numbers.next() % 6);
        char text[400];
        const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, places);
        ASSERT_EQ(error, std::errc{});
        ASSERT_EQ(fixedDecimal(value, places), std::string(text, end)) << value;
    }
}
#endif

}  // namespace
}  // namespace pelmora
