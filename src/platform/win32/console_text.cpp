#include "platform/win32/console_text.h"

#include <windows.h>

#include <string>

#include "platform/win32/utf.h"

namespace pelmora {

void ConsoleTextBuffer::put(std::string_view text) {
    DWORD mode = 0;
    DWORD done = 0;
    if (::GetConsoleMode(handle_, &mode)) {
        const std::wstring wide = toWide(text);
        ::WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
        return;
    }
    for (std::size_t at = 0; at < text.size(); at += done)
        if (!::WriteFile(handle_, text.data() + at, static_cast<DWORD>(text.size() - at), &done, nullptr) || done == 0)
            return;
}

}  // namespace pelmora
