#include "show/dialog_value.h"

#include <charconv>
#include <cmath>
#include <string>

namespace pelmora {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first non-zero digit of a well-formed number such as "-0.0012e5" (2 here).
long long decimalMagnitude(const std::string& number) {
    const auto e = number.find('e');
    long long exponent = 0;
    if (e != std::string::npos) {
        std::size_t j = e + 1;
        const bool minus = number[j] == '-';
        if (number[j] == '+' || number[j] == '-') ++j;
        for (; j < number.size() && exponent < 1000000000; ++j) exponent = exponent * 10 + (number[j] - '0');
        if (minus) exponent = -exponent;
    }
    const std::string mantissa = number.substr(0, e);
    const auto point = mantissa.find('.');
    const std::size_t intEnd = point == std::string::npos ? mantissa.size() : point;
    long long position = 0;  // digits before the point still to come, as a power of ten
    std::size_t intDigits = 0;
    for (std::size_t j = 0; j < intEnd; ++j) intDigits += isDigit(mantissa[j]) ? 1 : 0;
    for (std::size_t j = 0; j < mantissa.size(); ++j) {
        if (!isDigit(mantissa[j])) continue;
        if (mantissa[j] != '0') return static_cast<long long>(intDigits) - 1 - position + exponent;
        ++position;
    }
    return 0;
}
}  // namespace

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;

    // Collect the longest prefix of the form [+-]digits[.digits][(e|E)[+-]digits] by hand, so
    // that nothing but plain decimal numbers is accepted (no "inf", "nan" or hexadecimal).
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) number += text[i++], digits = true;
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && isDigit(text[i])) number += text[i++], digits = true;
    }
    if (!digits) return 0.0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) exponent += text[j++];
            number += exponent;
        }
    }

    const bool negative = number[0] == '-';
    const char* first = number.data() + ((number[0] == '+' || negative) ? 1 : 0);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow: tell them apart by the
        // decimal magnitude of the first significant digit ("1e400" is infinite, "1e-400" is 0).
        value = decimalMagnitude(number) < 0 ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    const double value = std::nearbyint(leadingNumber(text));
    // 2^63 is the first double past the range; the comparison also refuses NaN.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

}  // namespace pelmora
