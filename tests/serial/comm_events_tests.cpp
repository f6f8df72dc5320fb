// Events raised on the UI thread, line errors and break through the driver seam, and the
// half-duplex RTS switching of the transmit thread.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "serial/CommX.h"
#include "serialtest.h"

using namespace serialtest;

namespace {

void sleepWithoutEvents(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class CommEvents : public testing::Test {
  protected:
    Pty pty;
    PortBinding binding{7, pty.slavePath()};
    FakeDriverScope fake;
    std::vector<std::string> seen;  // "receive:<n>", "break", "error:<bits>" in order
    TCommX comm;

    void SetUp() override {
        comm.setPortNo(7);
        comm.setFlowCtrl(cfcNone);
        comm.OnReceive = [this](TCustomCommX* sender, int n) {
            EXPECT_EQ(sender, &comm);
            seen.push_back("receive:" + std::to_string(n));
        };
        comm.OnBreak = [this](TCustomCommX*) { seen.push_back("break"); };
        comm.OnError = [this](TCustomCommX*, int bits) {
            seen.push_back("error:" + std::to_string(bits));
        };
        comm.Open();
    }
    FakeLog& log() { return fake.log(); }
};

}  // namespace

TEST_F(CommEvents, OnReceiveReportsTheWaitingCount) {
    pty.send({1, 2, 3});
    ASSERT_TRUE(waitFor([&] { return !seen.empty(); }));
    EXPECT_EQ(seen.front(), "receive:3");
}

TEST_F(CommEvents, OnReceiveIsNeverRaisedForAnEmptyQueue) {
    pty.send({1, 2, 3});
    sleepWithoutEvents(100);  // the notification is queued; the bytes are taken first
    comm.setTimeOutReceive(0);
    uint8_t buf[3];
    ASSERT_EQ(comm.ReceiveData(buf, 3), 3);
    pumpFor(200);
    EXPECT_TRUE(seen.empty()) << seen.front();
}

TEST_F(CommEvents, NoEventIsRaisedAfterClose) {
    pty.send({1, 2, 3});
    log().injectErrors = 0x04;
    sleepWithoutEvents(100);
    comm.Close();
    pumpFor(300);
    EXPECT_TRUE(seen.empty()) << seen.front();
}

TEST_F(CommEvents, LineErrorsAndBreakAreReportedWithOnlyTheErrorBits) {
    // Overflow (0x01) and break (0x10) among the driver's error bits never reach OnError.
    log().injectErrors = 0x01 | 0x02 | 0x04 | 0x08 | 0x10;
    log().injectBreak = true;
    pty.send({0x00});
    ASSERT_TRUE(waitFor([&] { return seen.size() >= 3; }));
    EXPECT_EQ(seen, (std::vector<std::string>{"error:14", "break", "receive:1"}));
}

TEST_F(CommEvents, FailedWriteIsReportedFromTheTransmitThread) {
    log().failNextWrites(1);
    log().injectErrors = 0x08;
    ASSERT_TRUE(comm.TransByte(0x31));
    ASSERT_TRUE(waitFor([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, (std::vector<std::string>{"error:8"}));
    EXPECT_TRUE(pty.receive(1, 200).empty());  // the failed chunk was dropped
    ASSERT_TRUE(comm.TransByte(0x32));
    EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{0x32});
}

// The transmit thread waits for the UI thread to take its notification while the UI
// thread waits for the transmit thread to finish its chunks: neither may hang.
TEST_F(CommEvents, PurgeAndCloseDoNotWaitForAPendingNotification) {
    Watchdog watchdog(20, "PurgeTrans/Close with a notification pending");
    log().failNextWrites(1);
    log().injectErrors = 0x04;
    ASSERT_TRUE(comm.TransByte(1));
    sleepWithoutEvents(100);
    comm.PurgeTrans();
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(waitFor([&] { return !seen.empty(); }));  // delivered once the UI is idle
    EXPECT_EQ(seen, (std::vector<std::string>{"error:4"}));

    log().failNextWrites(1);
    log().injectErrors = 0x02;
    ASSERT_TRUE(comm.TransByte(2));
    sleepWithoutEvents(100);
    comm.Close();
    pumpFor(200);
    EXPECT_EQ(seen.size(), 1u);
}

// PurgeTrans and Close let a waiting worker go on without its hand-over; once they are
// over, a worker waits again until the UI thread has run the handler. Seen from outside: a
// failed write holds back the next chunk until OnError has run.
TEST_F(CommEvents, HandOverWaitsForTheUiAgainAfterPurgeAndAfterReopening) {
    Watchdog watchdog(30, "hand-over after PurgeTrans and reopening");
    comm.setBufLenTrans(1);
    const auto failedWriteHoldsTheNextChunk = [&] {
        seen.clear();
        log().clearEvents();
        log().setSink(true);
        log().failNextWrites(1);
        log().injectErrors = 0x04;
        const uint8_t two[2] = {1, 2};
        ASSERT_TRUE(comm.TransData(two, 2));
        sleepWithoutEvents(300);
        EXPECT_TRUE(log().writeSizes().empty()) << "the transmit thread did not wait for the UI";
        ASSERT_TRUE(waitFor([&] { return !seen.empty(); }));
        EXPECT_EQ(seen, (std::vector<std::string>{"error:4"}));
        EXPECT_TRUE(waitFor([&] { return log().writeSizes().size() == 1; }));
    };
    comm.Close();
    comm.Open();
    {
        SCOPED_TRACE("after Close and Open");
        failedWriteHoldsTheNextChunk();
    }
    comm.PurgeTrans();
    {
        SCOPED_TRACE("after PurgeTrans");
        failedWriteHoldsTheNextChunk();
    }
}

// ---------------------------------------------------------------------------------------

namespace {

class CommHalfDuplex : public testing::Test {
  protected:
    Pty pty;
    PortBinding binding{7, pty.slavePath()};
    FakeDriverScope fake;
    TCommX comm;

    void openIn(TCommFlowCtrls mode) {
        comm.setPortNo(7);
        comm.setFlowCtrl(mode);
        comm.Open();
        fake.log().setSink(true);
        fake.log().clearEvents();
    }
    size_t writtenCount() {
        std::lock_guard lock(fake.log().mutex);
        return fake.log().written.size();
    }
    static int64_t msBetween(Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
    }
    // Sends 5 bytes as three chunks of one burst and checks RTS around it.
    void expectRtsAroundOneBurst(int active) {
        comm.setBufLenTrans(2);
        const uint8_t data[5] = {1, 2, 3, 4, 5};
        const auto start = Clock::now();
        ASSERT_TRUE(comm.TransData(data, 5));
        ASSERT_TRUE(waitFor([&] { return fake.log().eventsOf(FakeLog::Event::Rts).size() >= 2; }));
        const auto rts = fake.log().eventsOf(FakeLog::Event::Rts);
        const auto writes = fake.log().eventsOf(FakeLog::Event::Write);
        ASSERT_EQ(rts.size(), 2u);  // once around the burst, not around each chunk
        ASSERT_EQ(writes.size(), 3u);
        EXPECT_EQ(rts[0].value, active);
        EXPECT_EQ(rts[1].value, 1 - active);
        EXPECT_GE(msBetween(start, rts[0].at), 90);
        EXPECT_GE(msBetween(rts[0].at, writes.front().at), 8);
        EXPECT_GE(msBetween(writes.back().at, rts[1].at), 15);
    }
};

}  // namespace

TEST_F(CommHalfDuplex, HalfHighAssertsRtsForTheBurst) {
    openIn(cfcHalfHigh);
    expectRtsAroundOneBurst(1);
}

TEST_F(CommHalfDuplex, HalfLowClearsRtsForTheBurst) {
    openIn(cfcHalfLow);
    expectRtsAroundOneBurst(0);
}

TEST_F(CommHalfDuplex, OtherModesNeverTouchRts) {
    openIn(cfcNone);
    const uint8_t data[3] = {1, 2, 3};
    ASSERT_TRUE(comm.TransData(data, 3));
    ASSERT_TRUE(waitFor([&] { return writtenCount() == 3; }));
    pumpFor(200);
    EXPECT_TRUE(fake.log().eventsOf(FakeLog::Event::Rts).empty());
}

TEST_F(CommHalfDuplex, CloseDropsDtrThenRts) {
    openIn(cfcNone);
    comm.Close();
    std::lock_guard lock(fake.log().mutex);
    const auto& ev = fake.log().events;
    ASSERT_GE(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, FakeLog::Event::Dtr);
    EXPECT_EQ(ev[0].value, 0);
    EXPECT_EQ(ev[1].kind, FakeLog::Event::Rts);
    EXPECT_EQ(ev[1].value, 0);
}
