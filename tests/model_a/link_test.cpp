// The KV417R link with the real serial component against the emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QStringList>
#include <chrono>
#include <memory>
#include <numeric>

#include "emulator.h"
#include "model_a/link.h"
#include "model_a/programmer.h"
#include "serial/CommX.h"
#include "sim/kv417r.h"

using kva::LinkResult;
using kvsim::Kv417r;
using kvsim::Kv417rFaults;

namespace {

std::vector<uint8_t> bytes(const kva::Frame& f) {
    return {f.begin(), f.end()};
}

TEST(LinkFrame, GoldenFrames) {
    using V = std::vector<uint8_t>;
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::ReadAll, 0, 0, 0)),
              (V{0xCC, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::WriteWord, 0x05, 0x12, 0x34)),
              (V{0xCC, 0x01, 0x05, 0x12, 0x34, 0x00, 0x00, 0x4C}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::WriteWord, 0x7F, 0xE3, 0x5A)),
              (V{0xCC, 0x01, 0x7F, 0xE3, 0x5A, 0x00, 0x01, 0xBD}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::ReadWord, 0x70, 0, 0)),
              (V{0xCC, 0x03, 0x70, 0x00, 0x00, 0x00, 0x00, 0x73}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::WriteWord, 0x70, 0xC0, 0x00)),
              (V{0xCC, 0x01, 0x70, 0xC0, 0x00, 0x00, 0x01, 0x31}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::SetTxPower, 0xC0, 0x00, 0x03)),
              (V{0xCC, 0x08, 0xC0, 0x00, 0x03, 0x00, 0x00, 0xCB}));
    EXPECT_EQ(bytes(kva::BuildFrame(kva::cmd::SetChannel, 0x0F, 0x09, 0)),
              (V{0xCC, 0x07, 0x0F, 0x09, 0x00, 0x00, 0x00, 0x1F}));
    // The largest sum the frame can carry: 4 x 0xFF + 0x08 = 0x0404.
    EXPECT_EQ(bytes(kva::BuildFrame(0xFF, 0xFF, 0xFF, 0xFF)),
              (V{0xCC, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x03, 0xFC}));
}

TEST(Verify, ComparesEveryWrittenByteAndNoOther) {
    // The bytes a table write sends: the channels, the current channel, the set-mode bytes
    // and the marker. A difference at any one of them, first and last of each range
    // included, fails the compare; anywhere else it does not.
    const auto written = [](int a) {
        return a <= 0x7F || (a >= 0xC0 && a <= 0xC1) || (a >= 0xDA && a <= 0xDF) || a >= 0xFE;
    };
    TCommX comm;
    const kva::Programmer modem(comm);
    kva::MemoryImage image;
    for (int a = 0; a < 256; ++a) image[a] = static_cast<uint8_t>(a * 7);
    for (int a = 0; a < 256; ++a) {
        kva::MemoryImage readBack = image;
        readBack[a] ^= 0x01;
        EXPECT_EQ(modem.sameWrittenBytes(image, readBack), !written(a)) << "byte " << a;
    }
}

// A port set up like the main window's CommX1, on COM2, which names the emulator's pty.
class LinkTest : public testing::Test {
  protected:
    void SetUp() override {
        comm.setParityBit(cpbEven);
        comm.setFlowCtrl(cfcNone);
        comm.setPortNo(2);
        comm.Open();
    }
    void TearDown() override {
        EXPECT_EQ(comm.TimeOutReceive(), 0) << "time-out left set after a reply byte";
        comm.Close();
    }

    template <class Fn>
    decltype(auto) onModem(Fn&& fn) {
        return modem.with(std::forward<Fn>(fn));
    }
    // The generic faults, or the KV417R's own with them.
    void arm(const kvsim::ModemFaults& faults) {
        onModem([&](Kv417r& m) { m.setFaults(faults); });
    }
    void arm(const Kv417rFaults& faults) {
        onModem([&](Kv417r& m) { m.setFaults(faults); });
    }
    void setMemory(const Kv417r::Memory& memory) {
        onModem([&](Kv417r& m) { m.setMemory(memory); });
    }
    LinkResult readAll() {
        return link.ReadAll(image, [this](int percent) { lines << progressLine(percent); });
    }

    static QString progressLine(int percent) { return kvcore::progressLine(percent, "Receive"); }
    static QStringList progress(int from, int to) {
        QStringList out;
        for (int p = from; p <= to; p += 10) out << progressLine(p);
        return out;
    }

    kvtest::EmulatedModem<Kv417r> modem{2};
    TCommX comm;
    kva::Link link{comm};
    kva::MemoryImage image{};
    QStringList lines;
};

TEST_F(LinkTest, ReadAllReturnsTheMemoryWithProgressInOrder) {
    Kv417r::Memory golden;
    std::iota(golden.begin(), golden.end(), uint8_t{0x40});  // checksum wraps past 255
    setMemory(golden);
    ASSERT_EQ(readAll(), LinkResult::Ok);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), golden.begin()));
    EXPECT_EQ(lines, progress(10, 100));

    const auto frames = onModem([](Kv417r& m) { return m.frames(); });
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (Kv417r::Frame{0xCC, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04}));
}

TEST_F(LinkTest, ErasedMemoryWithChecksumZeroIsAccepted) {
    setMemory(Kv417r::erasedMemory());
    image.fill(0x00);
    ASSERT_EQ(readAll(), LinkResult::Ok);
    for (uint8_t b : image) ASSERT_EQ(b, 0xFF);
    EXPECT_EQ(lines.size(), 10);
}

TEST_F(LinkTest, ThirdAckByteIsCheckedOnlyAfterReadAll) {
    onModem([](Kv417r& m) { m.setAckThirdByte(0x00); });
    EXPECT_EQ(link.Exchange(kva::cmd::WriteWord, 0x05, 0x12, 0x34), LinkResult::Ok);
    EXPECT_EQ(onModem([](Kv417r& m) { return m.memory()[0x0B]; }), 0x34);

    arm({.readAllThirdByte = 0x80});
    const kva::MemoryImage before = image;
    EXPECT_EQ(readAll(), LinkResult::CommError2);
    EXPECT_TRUE(lines.isEmpty()) << "no block byte may be read after a wrong acknowledge";
    EXPECT_EQ(image, before);
}

TEST_F(LinkTest, ReadWordAndSetChannelRoundTrip) {
    uint8_t first = 0, second = 0;
    ASSERT_EQ(link.ReadWord(0x70, first, second), LinkResult::Ok);
    EXPECT_EQ(first, 0xC0);
    EXPECT_EQ(second, 0x10);

    ASSERT_EQ(link.Exchange(kva::cmd::SetChannel, 0x0F, 0x09, 0), LinkResult::Ok);
    ASSERT_EQ(link.ReadWord(0x60, first, second), LinkResult::Ok);
    EXPECT_EQ(second, 0x0F);
    ASSERT_EQ(link.ReadWord(4 * 15 + 1, first, second), LinkResult::Ok);
    EXPECT_EQ(second, 0x09);
}

TEST_F(LinkTest, WrongFirstOrSecondAckByteIsError2AndStopsReading) {
    arm({.wrongAckPosition = 1, .wrongAckValue = 0x32});
    EXPECT_EQ(link.Exchange(kva::cmd::SetSql, 0x02, 0, 0), LinkResult::CommError2);
    // The rest of the acknowledge is still waiting: the link read no further.
    EXPECT_EQ(link.ReceiveReply(), 0x06);

    comm.Close();  // a fresh episode discards what is left
    comm.Open();
    arm({.wrongAckPosition = 2, .wrongAckValue = 0x15});
    uint8_t first = 0xAA, second = 0xAA;
    EXPECT_EQ(link.ReadWord(0x70, first, second), LinkResult::CommError2);
    EXPECT_EQ(first, 0xAA);
    EXPECT_EQ(link.ReceiveReply(), 0x00) << "third acknowledge byte should be next";
}

TEST_F(LinkTest, SilenceAtTheAcknowledgeIsError1) {
    arm({.silenceAfterBytes = 0});
    EXPECT_EQ(readAll(), LinkResult::CommError1);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(LinkTest, SilenceInsideTheBlockKeepsTheProgressAlreadyLogged) {
    arm({.silenceAfterBytes = 3 + 100});  // block bytes 0..99 arrive
    EXPECT_EQ(readAll(), LinkResult::CommError1);
    EXPECT_EQ(lines, progress(10, 30));
}

TEST_F(LinkTest, SilenceAtTheChecksumByteIsError1) {
    arm({.silenceAfterBytes = 3 + 256});
    EXPECT_EQ(readAll(), LinkResult::CommError1);
    EXPECT_EQ(lines, progress(10, 90));
}

TEST_F(LinkTest, WrongBlockChecksumIsError2WithoutTheLastLine) {
    arm({.wrongBlockChecksum = true});
    const kva::MemoryImage before = image;
    EXPECT_EQ(readAll(), LinkResult::CommError2);
    EXPECT_EQ(lines, progress(10, 90));
    EXPECT_EQ(image, before) << "a block that failed its checksum must not be handed out";
}

TEST_F(LinkTest, MissingDataByteOfReadWordIsError1) {
    arm({.silenceAfterBytes = 4});
    uint8_t first = 0, second = 0;
    EXPECT_EQ(link.ReadWord(0x70, first, second), LinkResult::CommError1);
}

TEST_F(LinkTest, SlowRepliesWithinTheTimeOutAreFine) {
    arm({.replyDelayMs = 400});
    uint8_t first = 0, second = 0;
    EXPECT_EQ(link.ReadWord(0x71, first, second), LinkResult::Ok);
    EXPECT_EQ(first, 0xC4);
}

TEST_F(LinkTest, FrameBytesArePacedMoreThan2MsApart) {
    const auto start = std::chrono::steady_clock::now();
    link.SendFrame(kva::cmd::SetSql, 1, 0, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(16));
    EXPECT_EQ(link.AwaitAck(false), LinkResult::Ok);
}

}  // namespace
