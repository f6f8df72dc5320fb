#include "platform/tick.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <thread>

namespace platform {

uint32_t GetTickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(WaitClock::now().time_since_epoch()).count());
}

void processPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitForEvents(WaitClock::time_point deadline) {
    using namespace std::chrono;
    if (!QCoreApplication::instance() || !QAbstractEventDispatcher::instance()) {
        if (deadline != kNoDeadline) std::this_thread::sleep_until(deadline);
        return;
    }
    const WaitClock::duration left = deadline - WaitClock::now();
    if (left <= WaitClock::duration::zero()) {
        processPendingEvents();
        return;
    }
    // Rounded up to whole milliseconds, so the wake-up never comes before the deadline.
    QTimer wake;
    if (deadline != kNoDeadline) {
        const auto ms = duration_cast<milliseconds>(left + milliseconds(1) - nanoseconds(1));
        wake.setTimerType(Qt::PreciseTimer);
        wake.setSingleShot(true);
        wake.start(static_cast<int>(std::min<int64_t>(ms.count(), 1 << 30)));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WaitMs(uint32_t n) {
    // Measured with the clock's full resolution, so the pause ends just after n ms instead
    // of at the next tick.
    const WaitClock::time_point start = WaitClock::now();
    const WaitClock::time_point end = start + std::chrono::milliseconds(n);
    do waitForEvents(end);
    while (WaitClock::now() <= end);
}

}  // namespace platform
