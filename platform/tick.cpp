#include "platform/tick.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {
namespace {
int64_t monotonicMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

uint32_t GetTickCount() {
    return static_cast<uint32_t>(monotonicMicros() / 1000);
}

void processPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitMs(uint32_t n) {
    // The tick is read with microsecond resolution, so the pause ends just after n ms
    // instead of at the next coarse tick.
    const int64_t start = monotonicMicros();
    const int64_t length = static_cast<int64_t>(n) * 1000;
    for (;;) {
        processPendingEvents();
        const int64_t elapsed = monotonicMicros() - start;
        if (elapsed > length) return;
        // Sleep out the rest in slices of at most 2 ms: few wake-ups (each costs CPU), and
        // events are still handled well within the 10 ms a window may stall.
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::min<int64_t>(2000, length - elapsed + 1)));
    }
}

}  // namespace platform
