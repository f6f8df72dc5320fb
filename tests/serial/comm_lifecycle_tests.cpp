// Worker threads and descriptors over many openings, and destroying the component while
// its workers are still busy.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTimer>
#include <cstdlib>

#include <memory>
#include <vector>

#include "serial/CommX.h"
#include "serialtest.h"

using namespace serialtest;

namespace {

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

int entriesIn(const char* dir) {
    int n = 0;
    if (DIR* d = ::opendir(dir)) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n;
}

}  // namespace

TEST(CommLifecycle, ManyOpenCloseCyclesLeaveNoDescriptorOrThreadBehind) {
    Pty pty;
    PortBinding binding(7, pty.slavePath());
    {
        // One cycle first: runtimes that start helper threads lazily (the sanitizers' among
        // them) do so now, not inside the measured cycles.
        TCommX warmUp;
        warmUp.setPortNo(7);
        warmUp.setFlowCtrl(cfcNone);
        warmUp.Open();
        warmUp.Close();
    }
    ASSERT_TRUE(TCustomCommX::waitForWorkers(10000));
    const int fdsBefore = entriesIn("/proc/self/fd");
    const int threadsBefore = entriesIn("/proc/self/task");
    {
        TCommX comm;
        comm.setPortNo(7);
        comm.setFlowCtrl(cfcNone);
        comm.setTimeOutReceive(0);
        for (int i = 0; i < 100; ++i) {
            comm.Open();
            if (i == 0) {
                EXPECT_EQ(TCustomCommX::activeWorkerCount(), 2);
            }
            // Close purges what is still queued, so whether the byte reaches the far end is a
            // matter of timing; delivery is the transfer tests' business.
            ASSERT_TRUE(comm.TransByte(static_cast<uint8_t>(i)));
            comm.Close();
        }
    }
    ASSERT_TRUE(TCustomCommX::waitForWorkers(10000));
    EXPECT_EQ(TCustomCommX::activeWorkerCount(), 0);
    EXPECT_EQ(entriesIn("/proc/self/fd"), fdsBefore);
    // The workers' threads are joined; the kernel may list one for a moment longer.
    EXPECT_TRUE(waitFor([&] { return entriesIn("/proc/self/task") <= threadsBefore; }, 10000))
        << entriesIn("/proc/self/task") << " threads, " << threadsBefore << " before";
}

// The workers outlive the component; what they share must outlive it too.
TEST(CommLifecycle, DestroyingTheComponentWhileWorkersAreBusyIsClean) {
    Pty pty;
    PortBinding binding(7, pty.slavePath());
    FakeDriverScope fake;
    {
        // In the middle of a transfer that cannot progress.
        auto comm = std::make_unique<TCommX>();
        comm->setPortNo(7);
        comm->setFlowCtrl(cfcNone);
        comm->Open();
        fake.log().closeGate();
        comm->setBufLenTrans(100);
        std::vector<uint8_t> data(2000, 0x55);
        ASSERT_TRUE(comm->TransData(data.data(), 2000));
        comm.reset();
    }
    {
        // Right after Close, with input and a notification still on its way.
        auto comm = std::make_unique<TCommX>();
        int calls = 0;
        comm->OnReceive = [&](TCustomCommX*, int) { ++calls; };
        comm->setPortNo(7);
        comm->Open();
        pty.send({1, 2, 3, 4});
        comm->Close();
        comm.reset();
        pumpFor(100);
        EXPECT_EQ(calls, 0);
    }
    {
        // Open, with the receive thread waiting to hand a notification over.
        auto comm = std::make_unique<TCommX>();
        comm->OnReceive = [](TCustomCommX*, int) {};
        comm->setPortNo(7);
        comm->Open();
        pty.send({1});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        comm.reset();
    }
    EXPECT_TRUE(TCustomCommX::waitForWorkers(5000));
}

// The program may quit while workers still linger after Close, or while a transfer runs.
TEST(CommLifecycleDeathTest, QuittingWithWorkersStillRunningEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Pty pty;
            PortBinding binding(7, pty.slavePath());
            auto* closed = new TCommX;
            closed->setPortNo(7);
            closed->Open();
            closed->TransByte(1);
            closed->Close();
            delete closed;
            auto* busy = new TCommX;  // left open on purpose, as a crashing owner would
            busy->setPortNo(7);
            busy->setFlowCtrl(cfcNone);
            busy->Open();
            std::vector<uint8_t> data(20000, 0x33);
            busy->TransData(data.data(), static_cast<int>(data.size()));
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(CommLifecycle, HungUpLineDoesNotSpin) {
    Pty pty;
    PortBinding binding(7, pty.slavePath());
    TCommX comm;
    int receives = 0;
    comm.OnReceive = [&](TCustomCommX*, int) { ++receives; };
    comm.setPortNo(7);
    comm.setFlowCtrl(cfcNone);
    comm.Open();
    pty.hangUp();
    const double cpuBefore = cpuMs();
    const auto start = Clock::now();
    pumpFor(500);
    comm.setTimeOutReceive(300);
    EXPECT_EQ(comm.ReceiveByte(), -1);
    comm.TransByte(1);
    pumpFor(200);
    const double cpu = cpuMs() - cpuBefore;
    EXPECT_LT(cpu, 0.5 * static_cast<double>(msSince(start)));
    EXPECT_LT(receives, 5);
    comm.Close();
    EXPECT_TRUE(TCustomCommX::waitForWorkers(5000));
}

// The fixed waits of Open and Close keep the windows live, and what a handler does during
// them cannot corrupt the component: a second Close is ignored, an Open after the port has
// been released starts a fresh opening that the finishing Close leaves alone.
TEST(CommLifecycle, OpenAndCloseWaitsKeepEventsFlowingAndSurviveHandlers) {
    Pty pty;
    PortBinding binding(7, pty.slavePath());
    TCommX comm;
    comm.setPortNo(7);
    comm.setFlowCtrl(cfcNone);

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    comm.Open();
    EXPECT_GT(ticks, 0) << "events were processed during Open's wait";
    ticks = 0;
    comm.Close();
    EXPECT_GT(ticks, 0) << "events were processed during Close's waits";
    timer.stop();

    comm.Open();
    bool nestedCloseRan = false;
    QTimer::singleShot(20, [&] {  // inside the first wait of Close
        comm.Close();
        nestedCloseRan = true;
    });
    comm.Close();
    EXPECT_TRUE(nestedCloseRan);
    EXPECT_FALSE(comm.IsOpen());

    comm.Open();
    bool reopened = false;
    QTimer::singleShot(150, [&] {  // after the port is released, inside the last wait
        comm.Open();
        reopened = comm.IsOpen();
    });
    comm.Close();
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(comm.IsOpen()) << "the finishing Close must not touch the new opening";
    ASSERT_TRUE(comm.TransByte(0x42));
    EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{0x42});
    comm.Close();
    EXPECT_TRUE(TCustomCommX::waitForWorkers(5000));
}
