// The pseudo-terminal transport with a bare terminal descriptor standing in for the tool.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <memory>
#include <thread>

#include "rawport.h"
#include "sim/kv417r.h"
#include "sim/ptytransport.h"

using kvsim::Kv417r;
using kvsim::PtyTransport;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {
const Bytes kReadAll{0xCC, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04};
const Bytes kRead70{0xCC, 0x03, 0x70, 0x00, 0x00, 0x00, 0x00, 0x73};
const Bytes kWrite05{0xCC, 0x01, 0x05, 0x12, 0x34, 0x00, 0x00, 0x4C};

std::unique_ptr<PtyTransport> serve(PtyTransport::Options options = {}) {
    return std::make_unique<PtyTransport>(std::make_unique<Kv417r>(), options);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
}  // namespace

TEST(PtyTransport, AnswersFramesAndSharesTheMachineWithTheTest) {
    auto modem = serve();
    kvtest::RawPort port(modem->devicePath());
    port.write(kWrite05);
    EXPECT_EQ(port.read(3), (Bytes{0x33, 0x06, 0x00}));
    port.write(kRead70);
    EXPECT_EQ(port.read(5), (Bytes{0x33, 0x06, 0x00, 0xC0, 0x10}));

    const auto frames = modem->withModem<Kv417r>([](Kv417r& m) { return m.frames(); });
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(modem->withModem<Kv417r>([](Kv417r& m) { return m.memory()[0x0B]; }), 0x34);
    EXPECT_EQ(modem->bytesReceived(), 16u);
    // The serving thread counts a reply once its write has returned, which may be just after
    // the test has read it.
    const auto start = Clock::now();
    while (modem->bytesSent() < 8u && secondsSince(start) < 2.0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(modem->bytesSent(), 8u);

    modem->withModem<Kv417r>([](Kv417r& m) { m.setFaults({.silenceAfterBytes = 0}); });
    port.write(kRead70);
    EXPECT_TRUE(port.read(5, 300).empty());
}

TEST(PtyTransport, ToolMayCloseAndReopenThePortAnyNumberOfTimes) {
    auto modem = serve();
    for (int round = 0; round < 3; ++round) {
        kvtest::RawPort port(modem->devicePath());
        port.write(kReadAll);
        EXPECT_EQ(port.read(260).size(), 260u) << "round " << round;
    }
}

TEST(PtyTransport, ExclusiveFlagOfAClosedToolDoesNotLockTheNextOpenOut) {
    auto modem = serve();
    {
        kvtest::RawPort port(modem->devicePath());
        ASSERT_EQ(::ioctl(port.fd(), TIOCEXCL), 0);
    }
    // The flag outlives the tool's descriptor because the emulator holds the slave open.
    kvtest::RawPort probe(modem->devicePath());
    int exclusive = 1;
    const auto start = Clock::now();
    while (exclusive && secondsSince(start) < 5) {
        ASSERT_EQ(::ioctl(probe.fd(), TIOCGEXCL, &exclusive), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(exclusive, 0);
}

TEST(PtyTransport, LinkIsPlacedReplacedWhenStaleAndRemoved) {
    ASSERT_EQ(::symlink("/nonexistent/old-pty", "COM1"), 0);
    {
        auto modem = serve();
        modem->placeLink("COM1");
        EXPECT_EQ(QFile::symLinkTarget("COM1").toStdString(), modem->devicePath());
        kvtest::RawPort port("COM1");
        port.write(kRead70);
        EXPECT_EQ(port.read(5).size(), 5u);

        QFile("plain").open(QIODevice::WriteOnly);
        EXPECT_THROW(modem->placeLink("plain"), std::runtime_error);
        EXPECT_TRUE(QFile::exists("plain"));
    }
    struct stat st {};
    EXPECT_NE(::lstat("COM1", &st), 0) << "link left behind";
}

TEST(PtyTransport, SlowRepliesAreDelayed) {
    auto modem = serve();
    modem->withModem<Kv417r>([](Kv417r& m) { m.setFaults({.replyDelayMs = 300}); });
    kvtest::RawPort port(modem->devicePath());
    const auto start = Clock::now();
    port.write(kRead70);
    EXPECT_EQ(port.read(5).size(), 5u);
    EXPECT_GE(secondsSince(start), 0.25);
}

TEST(PtyTransport, LineTimingPacesAReadAllLikeA9600BaudLine) {
    auto modem = serve({.lineTiming = true});
    kvtest::RawPort port(modem->devicePath());
    const auto start = Clock::now();
    port.write(kReadAll);
    EXPECT_EQ(port.read(260).size(), 260u);
    // 260 bytes of 11 bits at 9600 bit/s take 0.298 s.
    EXPECT_GE(secondsSince(start), 0.25);
}

TEST(PtyTransport, StopsPromptlyEvenDuringALongReplyDelay) {
    auto modem = serve();
    modem->withModem<Kv417r>([](Kv417r& m) { m.setFaults({.replyDelayMs = 600000}); });
    kvtest::RawPort port(modem->devicePath());
    port.write(kRead70);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    modem.reset();
    EXPECT_LT(secondsSince(start), 10.0);
}
