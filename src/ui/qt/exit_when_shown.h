#pragma once
// For timing start-up: with PELMORA_EXIT_WHEN_SHOWN set, a program prints "shown <ns>" (the
// monotonic clock in nanoseconds) once its window has been exposed and painted for the first
// time, and quits. The tool and the benchmark's plain Qt window use this same definition.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace pelmora {

class ExitWhenShown : public QObject {
public:
    // After window.show(); does nothing unless the variable is set.
    static void installIfAsked(QWidget& window) {
        if (qEnvironmentVariableIsEmpty("PELMORA_EXIT_WHEN_SHOWN") || !window.windowHandle()) return;
        window.windowHandle()->installEventFilter(new ExitWhenShown(window.windowHandle()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (seen_ || event->type() != QEvent::Expose || !static_cast<QWindow*>(watched)->isExposed()) return false;
        seen_ = true;
        // Queued, so it runs after the expose has been handled, i.e. after the first paint.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("shown %lld\n",
                            static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    using QObject::QObject;
    bool seen_ = false;
};

}  // namespace pelmora
