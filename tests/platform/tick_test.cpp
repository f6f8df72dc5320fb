// WaitMs and the event wait under it: they sleep in the event loop, yet every event still
// runs, the pause is never short, and handlers may wait or open modal boxes themselves.
#include <gtest/gtest.h>
#include <time.h>

#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/tick.h"

using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void post(const std::function<void()>& f) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), f, Qt::QueuedConnection);
}

}  // namespace

TEST(WaitMs, HandlesPendingEventsEvenWithNoTimeLeft) {
    const struct {
        const char* name;
        std::function<void()> wait;
    } cases[] = {
        {"WaitMs(0)", [] { platform::WaitMs(0); }},
        {"WaitMs(1)", [] { platform::WaitMs(1); }},
        {"deadline passed",
         [] { platform::waitForEvents(Clock::now() - std::chrono::seconds(1)); }},
    };
    for (const auto& c : cases) {
        bool ran = false;
        post([&] { ran = true; });
        c.wait();
        EXPECT_TRUE(ran) << c.name;
    }
}

// The pause is longer than asked and the windows' timers keep running, without a busy loop.
TEST(WaitMs, LastsLongerThanAskedWhileTimersRun) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const double cpu0 = threadCpuMs();
    const auto start = Clock::now();
    platform::WaitMs(200);
    const double wall = msSince(start);
    EXPECT_GT(wall, 200.0);
    EXPECT_GE(ticks, 5);
    EXPECT_LT(threadCpuMs() - cpu0, 0.5 * wall) << "the wait must sleep, not spin";
}

// Something posted from another thread wakes a wait that has no deadline, and a wait with a
// deadline and nothing to do ends at the deadline, not before.
TEST(WaitMs, EventWaitEndsWithAnEventOrAtTheDeadline) {
    bool ran = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        post([&] { ran = true; });
    });
    while (!ran) platform::waitForEvents(platform::kNoDeadline);
    poster.join();

    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(60);
    while (Clock::now() < deadline) platform::waitForEvents(deadline);
    EXPECT_GE(msSince(start), 60.0);
}

// A handler run during a wait may wait itself, or open a modal dialog; the outer wait goes
// on once the handler has returned.
TEST(WaitMs, HandlersMayWaitOrOpenModalDialogs) {
    bool innerDone = false;
    QTimer::singleShot(5, [&] {
        platform::WaitMs(100);
        innerDone = true;
    });
    auto start = Clock::now();
    platform::WaitMs(20);
    EXPECT_TRUE(innerDone);
    EXPECT_GT(msSince(start), 100.0);

    int dialogResult = -1;
    int ticksDuringDialog = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticksDuringDialog; });
    QTimer::singleShot(5, [&] {
        QDialog dialog;
        QTimer::singleShot(150, &dialog, &QDialog::accept);
        ticker.start(10);
        dialogResult = dialog.exec();
        ticker.stop();
    });
    start = Clock::now();
    platform::WaitMs(20);
    EXPECT_EQ(dialogResult, QDialog::Accepted);
    EXPECT_GE(ticksDuringDialog, 3);
    EXPECT_GT(msSince(start), 150.0);
}
