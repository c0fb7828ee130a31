#include "show/dialog_value.h"

#include <cmath>
#include <string>

#include "show/decimal.h"

namespace pelmora {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
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

    return decimalValue(number);
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    const double value = std::nearbyint(leadingNumber(text));
    // 2^63 is the first double past the range; the comparison also refuses NaN.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

}  // namespace pelmora
