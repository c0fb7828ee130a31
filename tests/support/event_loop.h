#pragma once
// Waiting in the tests for what the Qt event loop delivers (bytes from a pty, a port that breaks).

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

namespace pelmora::testing {

// Runs the event loop until the condition holds, calling eachTurn (if any) on every turn; false
// if it never did. The generous bound only keeps a broken build from hanging; it is not part of
// what is checked.
inline bool runUntil(const std::function<bool()>& condition, int boundMs = 20000,
                     const std::function<void()>& eachTurn = {}) {
    QDeadlineTimer bound(boundMs);
    while (!condition()) {
        if (bound.hasExpired()) return false;
        if (eachTurn) eachTurn();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    return true;
}

// A few turns of the event loop, for anything that should (not) happen to show.
inline void spin(int rounds, const std::function<void()>& eachTurn = {}) {
    for (int i = 0; i < rounds; ++i) {
        if (eachTurn) eachTurn();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

}  // namespace pelmora::testing
