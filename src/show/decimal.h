#pragma once
// Decimal numbers to doubles and back, exactly as a correctly rounding library does it, on every
// toolchain the tool is built with (some standard libraries have no floating-point from_chars or
// to_chars) and whatever the user's locale: "." is always the decimal point.

#include <string>
#include <string_view>

namespace pelmora {

// A well-formed decimal number, [+-]digits[.digits][(e|E)[+-]digits] with at least one digit in
// the mantissa, as the nearest double (an exact half to the even neighbour): infinite beyond the
// largest double, a signed zero below the smallest. Any length of digits is read exactly.
double decimalValue(std::string_view number);

// A finite value written with `places` digits after the point, rounded from its exact binary
// value (an exact half to the even digit), a "-" for a negative sign bit: what
// to_chars(..., chars_format::fixed, places) writes. "inf", "-inf" and "nan" otherwise.
std::string fixedDecimal(double value, int places);

}  // namespace pelmora
