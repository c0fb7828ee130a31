// window-texts TITLE: prints, in UTF-8, one line per control of the top-level window with this
// title (a message box's text, its button), for the tests that drive the Windows tool from outside.
// Exit status 1 when no such window is there.

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/utf.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: window-texts TITLE\n", stderr);
        return 2;
    }
    HWND window = ::FindWindowW(nullptr, argv[1]);
    if (!window) return 1;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
            wchar_t text[4096] = {};
            ::GetWindowTextW(child, text, 4096);
            if (text[0]) std::printf("%s\n", pelmora::toUtf8(text).c_str());
            return TRUE;
        },
        0);
    return 0;
}
