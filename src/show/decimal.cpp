#include "show/decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pelmora {

namespace {

// A non-negative whole number of any size, in 32-bit words from the lowest; no high zero words.
using Big = std::vector<std::uint32_t>;

void multiplyAdd(Big& n, std::uint32_t factor, std::uint32_t add) {
    std::uint64_t carry = add;
    for (auto& word : n) {
        const std::uint64_t v = std::uint64_t{word} * factor + carry;
        word = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
    if (carry != 0) n.push_back(static_cast<std::uint32_t>(carry));
}

void multiplyByPowerOfFive(Big& n, int exponent) {
    for (; exponent >= 13; exponent -= 13) multiplyAdd(n, 1220703125u, 0);  // 5^13
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 5;
    multiplyAdd(n, rest, 0);
}

int bitLength(const Big& n) {
    if (n.empty()) return 0;
    int length = 32 * static_cast<int>(n.size() - 1);
    for (std::uint32_t top = n.back(); top != 0; top >>= 1) ++length;
    return length;
}

bool bitAt(const Big& n, int bit) {
    const auto word = static_cast<std::size_t>(bit / 32);
    return word < n.size() && ((n[word] >> (bit % 32)) & 1u) != 0;
}

bool anyBitBelow(const Big& n, int bit) {
    for (int b = 0; b < bit; ++b)
        if (bitAt(n, b)) return true;
    return false;
}

Big shiftedLeft(const Big& n, int bits) {
    if (n.empty()) return n;
    Big out(static_cast<std::size_t>(bits / 32), 0u);
    const int shift = bits % 32;
    std::uint32_t carry = 0;
    for (std::uint32_t word : n) {
        out.push_back((word << shift) | carry);
        carry = shift == 0 ? 0 : word >> (32 - shift);
    }
    if (carry != 0) out.push_back(carry);
    return out;
}

int compare(const Big& a, const Big& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void subtract(Big& a, const Big& b) {  // a >= b
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::int64_t v = std::int64_t{a[i]} - borrow - (i < b.size() ? std::int64_t{b[i]} : 0);
        borrow = v < 0 ? 1 : 0;
        a[i] = static_cast<std::uint32_t>(v + (borrow << 32));
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// remainder / divisor, which must be below 2^64; the remainder is left in `remainder`.
std::uint64_t divide(Big& remainder, const Big& divisor) {
    std::uint64_t quotient = 0;
    for (int bit = bitLength(remainder) - bitLength(divisor); bit >= 0; --bit) {
        const Big part = shiftedLeft(divisor, bit);
        if (compare(remainder, part) < 0) continue;
        subtract(remainder, part);
        quotient |= std::uint64_t{1} << bit;
    }
    return quotient;
}

// (n + a little more when `inexact`) * 2^exponent, rounded to the nearest double, halves to even.
double nearestDouble(const Big& n, int exponent, bool inexact) {
    const int length = bitLength(n);
    const int drop = std::max(length - 53, -1074 - exponent);  // bits below the double's last place
    if (drop <= 0) {
        const std::uint64_t low = (n.empty() ? 0 : n[0]) | (n.size() > 1 ? std::uint64_t{n[1]} << 32 : 0);
        return std::ldexp(static_cast<double>(low), exponent);
    }
    if (drop > length) return 0.0;  // below half of the smallest step
    std::uint64_t mantissa = 0;
    for (int bit = length - 1; bit >= drop; --bit) mantissa = (mantissa << 1) | (bitAt(n, bit) ? 1 : 0);
    const bool half = bitAt(n, drop - 1);
    if (half && (inexact || anyBitBelow(n, drop - 1) || (mantissa & 1) != 0)) ++mantissa;
    return std::ldexp(static_cast<double>(mantissa), exponent + drop);
}

// The number's significant digits as a whole number and the power of ten it is multiplied by.
// Past 800 digits (more than any halfway point between two doubles has) the rest only counts as
// zero or not, as one more digit 1 where it is not.
struct Decimal {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
};

long long exponentPart(std::string_view text) {
    std::size_t i = 0;
    const bool minus = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++i;
    long long value = 0;
    for (; i < text.size() && value < 1000000000; ++i) value = value * 10 + (text[i] - '0');
    return minus ? -value : value;
}

Decimal splitDecimal(std::string_view number) {
    Decimal d;
    d.negative = !number.empty() && number[0] == '-';
    const std::size_t e = number.find_first_of("eE");
    bool fraction = false, truncated = false;
    long long dropped = 0;
    for (char c : number.substr(0, e)) {
        if (c == '.') fraction = true;
        if (c < '0' || c > '9') continue;
        d.exponent -= fraction ? 1 : 0;
        if (d.digits.empty() && c == '0') continue;
        if (d.digits.size() < 800)
            d.digits += c;
        else
            ++dropped, truncated = truncated || c != '0';
    }
    d.exponent += dropped + (e == std::string_view::npos ? 0 : exponentPart(number.substr(e + 1)));
    if (truncated) d.digits += '1', --d.exponent;
    return d;
}

double unsignedValue(const Decimal& d) {
    const auto count = static_cast<long long>(d.digits.size());
    if (count == 0 || count + d.exponent < -324) return 0.0;
    if (count - 1 + d.exponent > 309) return HUGE_VAL;
    Big n;
    for (char c : d.digits) multiplyAdd(n, 10, static_cast<std::uint32_t>(c - '0'));
    const int exponent = static_cast<int>(d.exponent);
    if (exponent >= 0) {
        multiplyByPowerOfFive(n, exponent);
        return nearestDouble(n, exponent, false);
    }
    Big divisor{1};
    multiplyByPowerOfFive(divisor, -exponent);
    // Scaled so that the quotient has 56 or 57 bits: more than a double's 53 and the rounding bit.
    const int shift = 56 - (bitLength(n) - bitLength(divisor));
    if (shift >= 0)
        n = shiftedLeft(n, shift);
    else
        divisor = shiftedLeft(divisor, -shift);
    const std::uint64_t quotient = divide(n, divisor);
    const Big q{static_cast<std::uint32_t>(quotient), static_cast<std::uint32_t>(quotient >> 32)};
    return nearestDouble(q, exponent - shift, !n.empty());
}

// Decimal digits (the last `fraction` of them after the point) halved, exactly.
void halve(std::string& digits, int& fraction) {
    int carry = 0;
    for (char& c : digits) {
        const int v = carry * 10 + (c - '0');
        c = static_cast<char>('0' + v / 2);
        carry = v % 2;
    }
    if (carry != 0) digits += '5', ++fraction;
}

void doubleUp(std::string& digits) {
    int carry = 0;
    for (auto c = digits.rbegin(); c != digits.rend(); ++c) {
        const int v = (*c - '0') * 2 + carry;
        *c = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    if (carry != 0) digits.insert(digits.begin(), '1');
}

// Drops all but `places` digits after the point, rounding the exact value, halves to even.
void roundTo(std::string& digits, int& fraction, int places) {
    if (fraction <= places) {
        digits.append(static_cast<std::size_t>(places - fraction), '0');
        fraction = places;
        return;
    }
    const std::size_t keep = digits.size() - static_cast<std::size_t>(fraction - places);
    const bool above =
        digits[keep] > '5' || (digits[keep] == '5' && digits.find_first_not_of('0', keep + 1) != std::string::npos);
    const bool half = digits[keep] == '5' && !above;
    const bool up = above || (half && keep > 0 && (digits[keep - 1] - '0') % 2 == 1);
    digits.resize(keep);
    fraction = places;
    for (std::size_t i = digits.size(); up && i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    if (up) digits.insert(digits.begin(), '1');
}

}  // namespace

double decimalValue(std::string_view number) {
    const Decimal d = splitDecimal(number);
    const double value = unsignedValue(d);
    return d.negative ? -value : value;
}

std::string fixedDecimal(double value, int places) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    int exponent = 0;
    const double fractionPart = std::frexp(std::fabs(value), &exponent);
    std::string digits = std::to_string(static_cast<std::uint64_t>(std::ldexp(fractionPart, 53)));
    int fraction = 0;
    for (exponent -= 53; exponent > 0; --exponent) doubleUp(digits);
    for (; exponent < 0; ++exponent) halve(digits, fraction);
    roundTo(digits, fraction, places);
    const std::size_t point = digits.size() - static_cast<std::size_t>(fraction);
    std::string whole = digits.substr(0, point);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    std::string text = std::signbit(value) ? "-" : "";
    text += whole.empty() ? "0" : whole;
    if (places > 0) text += "." + digits.substr(point);
    return text;
}

}  // namespace pelmora
