#pragma once
// The program keeps its texts in UTF-8; the wide Win32 calls take UTF-16. These convert at the seams.
// Bytes that are not UTF-8 (or lone surrogates) become U+FFFD rather than being dropped.

#include <string>
#include <string_view>

namespace pelmora {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// The system's own text for a Win32 error code (FormatMessageW) in UTF-8, without the line break
// it ends with; "" when the system has none.
std::string systemErrorText(unsigned long error);

}  // namespace pelmora
