#pragma once
// Waiting in the Windows tests for what the message loop delivers (received bytes, a lost port).

#include <windows.h>

#include <functional>

namespace pelmora::testing {

inline void pumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Runs the message loop until the condition holds; false if it never did. The generous bound only
// keeps a broken build from hanging; it is not part of what is checked.
inline bool runUntil(const std::function<bool()>& condition, DWORD boundMs = 30000) {
    const ULONGLONG end = ::GetTickCount64() + boundMs;
    while (!condition()) {
        if (::GetTickCount64() > end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        pumpMessages();
    }
    return true;
}

// A few turns of the loop, for anything that should (not) happen to show.
inline void spin(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        pumpMessages();
    }
}

}  // namespace pelmora::testing
