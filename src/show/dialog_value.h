#pragma once
// The rules of the parameter dialog's two number boxes, and how their texts become numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The key filter: a typed character, as a signed 16-bit code, is let into a box when it is
// backspace (8), a digit, or 127 and above. Everything else (control characters, blanks,
// signs, the decimal point, letters, and codes that are negative as 16-bit numbers) is refused.
constexpr bool keyFilterAccepts(std::int16_t code) { return code == 8 || (code >= '0' && code <= '9') || code >= 127; }

// The number written at the start of a text (leading blanks skipped; sign, digits, decimal
// point, exponent), in double precision; 0 when the text does not begin with a number.
// Never depends on the user's locale.
double leadingNumber(std::string_view text);

// The minimum-one rule: a box whose text is worth less than 1 is set to "1".
constexpr std::string_view minimumText = "1";
inline bool belowMinimum(std::string_view text) { return !(leadingNumber(text) >= 1.0); }

// The whole number a box stands for: the leading number rounded, an exact half to the even
// neighbour. Nothing when the value is not finite or lies outside a signed 64-bit range;
// whether it fits the show table is the table's business.
std::optional<std::int64_t> wholeNumber(std::string_view text);

// A number as the dialog and the captions write it: no blanks, no leading zeros.
inline std::string plainDecimal(std::int64_t value) { return std::to_string(value); }

}  // namespace pelmora
