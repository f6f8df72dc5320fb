// The KV417R state machine on its own: replies byte for byte, memory effects, framing,
// and every fault knob.
#include <gtest/gtest.h>

#include <QFile>
#include <numeric>
#include <stdexcept>

#include "feed.h"
#include "sim/kv417r.h"

using kvsim::Kv417r;
using kvsim::Kv417rFaults;
using Bytes = std::vector<uint8_t>;
using kvtest::feed;

namespace {

// Frames from the design's worked examples.
const Bytes kReadAll{0xCC, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04};
const Bytes kWrite05{0xCC, 0x01, 0x05, 0x12, 0x34, 0x00, 0x00, 0x4C};
const Bytes kWrite7F{0xCC, 0x01, 0x7F, 0xE3, 0x5A, 0x00, 0x01, 0xBD};
const Bytes kWrite70{0xCC, 0x01, 0x70, 0xC0, 0x00, 0x00, 0x01, 0x31};
const Bytes kRead70{0xCC, 0x03, 0x70, 0x00, 0x00, 0x00, 0x00, 0x73};
const Bytes kRead60{0xCC, 0x03, 0x60, 0x00, 0x00, 0x00, 0x00, 0x63};
const Bytes kTxPower{0xCC, 0x08, 0xC0, 0x00, 0x03, 0x00, 0x00, 0xCB};
const Bytes kSetCh1L2{0xCC, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09};
const Bytes kSetCh16L9{0xCC, 0x07, 0x0F, 0x09, 0x00, 0x00, 0x00, 0x1F};
const Bytes kSetCh3L5{0xCC, 0x07, 0x02, 0x05, 0x00, 0x00, 0x00, 0x0E};

Bytes frame(uint8_t command, uint8_t p1, uint8_t p2 = 0, uint8_t p3 = 0) {
    const unsigned sum = command + p1 + p2 + p3;
    return {0xCC,
            command,
            p1,
            p2,
            p3,
            0x00,
            static_cast<uint8_t>(sum >> 8),
            static_cast<uint8_t>(sum & 0xFF)};
}

Kv417r::Memory counting() {
    Kv417r::Memory m;
    std::iota(m.begin(), m.end(), uint8_t{0});
    return m;
}

}  // namespace

TEST(Kv417rCommands, WriteWordStoresBothBytesAtTwiceTheWordAddress) {
    Kv417r modem(Kv417r::erasedMemory());
    EXPECT_EQ(feed(modem, kWrite05), (Bytes{0x33, 0x06, 0x00}));
    Kv417r::Memory expected = Kv417r::erasedMemory();
    expected[0x0A] = 0x12;
    expected[0x0B] = 0x34;
    EXPECT_EQ(modem.memory(), expected);

    feed(modem, kWrite7F);
    EXPECT_EQ(modem.memory()[0xFE], 0xE3);
    EXPECT_EQ(modem.memory()[0xFF], 0x5A);
}

TEST(Kv417rCommands, ReadWordAnswersAckThenBothBytesInAddressOrder) {
    Kv417r modem(counting());
    EXPECT_EQ(feed(modem, kRead70), (Bytes{0x33, 0x06, 0x00, 0xE0, 0xE1}));
    EXPECT_EQ(feed(modem, kRead60), (Bytes{0x33, 0x06, 0x00, 0xC0, 0xC1}));
}

TEST(Kv417rCommands, ReadAllSendsAckBlockAndChecksumModulo256) {
    Kv417r modem(counting());
    const Bytes reply = feed(modem, kReadAll);
    ASSERT_EQ(reply.size(), 260u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0x33, 0x06, 0x81}));
    for (int i = 0; i < 256; ++i) EXPECT_EQ(reply[static_cast<std::size_t>(3 + i)], i);
    EXPECT_EQ(reply.back(), 0x80);  // 0 + 1 + ... + 255 = 0x7F80

    Kv417r erased(Kv417r::erasedMemory());
    EXPECT_EQ(feed(erased, kReadAll).back(), 0x00);  // 256 x 0xFF = 0xFF00
}

TEST(Kv417rCommands, SetSqlAndSetTxPowerOnlyAcknowledge) {
    Kv417r modem;
    const auto before = modem.memory();
    EXPECT_EQ(feed(modem, frame(Kv417r::kSetSql, 9)), (Bytes{0x33, 0x06, 0x00}));
    EXPECT_EQ(feed(modem, kTxPower), (Bytes{0x33, 0x06, 0x00}));
    EXPECT_EQ(modem.memory(), before);
}

TEST(Kv417rCommands, SetChannelKeepsChannelAndLevelInMemory) {
    Kv417r modem(Kv417r::erasedMemory());
    EXPECT_EQ(feed(modem, kSetCh16L9), (Bytes{0x33, 0x06, 0x00}));
    EXPECT_EQ(modem.memory()[0xC1], 0x0F);
    EXPECT_EQ(modem.memory()[8 * 15 + 3], 0x09);

    feed(modem, kSetCh3L5);
    EXPECT_EQ(modem.memory()[0xC1], 0x02);
    EXPECT_EQ(modem.memory()[8 * 2 + 3], 0x05);
    EXPECT_EQ(modem.memory()[8 * 15 + 3], 0x09) << "another channel's level was touched";
    EXPECT_EQ(modem.memory()[0xC0], 0xFF) << "only the low byte of word 0x60 holds the channel";

    // What CH SET reads back: word 0x60, then word 4 x ch + 1 of that channel.
    feed(modem, kSetCh1L2);
    EXPECT_EQ(feed(modem, kRead60), (Bytes{0x33, 0x06, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(feed(modem, frame(Kv417r::kReadWord, 0x01)), (Bytes{0x33, 0x06, 0x00, 0xFF, 0x02}));
}

TEST(Kv417rCommands, ThirdAckByteIsConfigurableExceptAfterReadAll) {
    Kv417r modem;
    modem.setAckThirdByte(0x81);
    EXPECT_EQ(feed(modem, kWrite70), (Bytes{0x33, 0x06, 0x81}));
    modem.setAckThirdByte(0x5C);
    EXPECT_EQ(feed(modem, kTxPower)[2], 0x5C);
    EXPECT_EQ(feed(modem, kReadAll)[2], 0x81);
}

TEST(Kv417rFraming, FrameFedInPiecesIsAnsweredOnItsLastByte) {
    Kv417r modem;
    for (std::size_t i = 0; i + 1 < kWrite70.size(); ++i)
        EXPECT_TRUE(modem.onByte(kWrite70[i]).empty()) << "answered early at byte " << i;
    EXPECT_EQ(modem.onByte(kWrite70.back()).size(), 3u);
}

TEST(Kv417rFraming, GarbageBeforeAFrameIsSkipped) {
    Kv417r modem;
    Bytes in{0x00, 0x33, 0xFF};
    in.insert(in.end(), kRead70.begin(), kRead70.end());
    EXPECT_EQ(feed(modem, in).size(), 5u);
    EXPECT_EQ(modem.strayBytes(), 3);
    ASSERT_EQ(modem.frames().size(), 1u);
    EXPECT_EQ(Bytes(modem.frames()[0].begin(), modem.frames()[0].end()), kRead70);
}

TEST(Kv417rFraming, BadChecksumGetsNoAnswerAndChangesNothing) {
    Kv417r modem;
    const auto before = modem.memory();
    Bytes bad = kWrite05;
    bad[7] ^= 0x01;
    EXPECT_TRUE(feed(modem, bad).empty());
    EXPECT_EQ(modem.memory(), before);
    EXPECT_EQ(modem.rejectedFrames(), 1);
    EXPECT_TRUE(modem.frames().empty());
    // The modem is back in step for the next frame.
    EXPECT_EQ(feed(modem, kWrite05).size(), 3u);
}

TEST(Kv417rFraming, StartByteNoiseRightBeforeAFrameDoesNotHideIt) {
    Kv417r modem;
    Bytes in{0xCC};
    in.insert(in.end(), kReadAll.begin(), kReadAll.end());
    EXPECT_EQ(feed(modem, in).size(), 260u);
    EXPECT_EQ(modem.rejectedFrames(), 1);
}

TEST(Kv417rFraming, ArgumentsOutsideTheModemGetNoAnswer) {
    Kv417r modem;
    const auto before = modem.memory();
    EXPECT_TRUE(feed(modem, frame(Kv417r::kWriteWord, 0x80, 1, 2)).empty());
    EXPECT_TRUE(feed(modem, frame(Kv417r::kReadWord, 0xFF)).empty());
    EXPECT_TRUE(feed(modem, frame(Kv417r::kSetChannel, 16, 1)).empty());
    EXPECT_TRUE(feed(modem, frame(0x02, 0)).empty()) << "unknown command";
    EXPECT_EQ(modem.memory(), before);
    EXPECT_EQ(modem.frames().size(), 4u) << "well-formed frames are logged even when refused";
}

TEST(Kv417rFraming, LogKeepsFramesInOrderAndCountsByCommand) {
    Kv417r modem;
    for (int w = 0; w < 3; ++w) feed(modem, frame(Kv417r::kWriteWord, static_cast<uint8_t>(w)));
    feed(modem, kReadAll);
    EXPECT_EQ(modem.countFrames(Kv417r::kWriteWord), 3);
    EXPECT_EQ(modem.countFrames(Kv417r::kReadAll), 1);
    ASSERT_EQ(modem.frames().size(), 4u);
    EXPECT_EQ(modem.frames()[2][2], 2);
    EXPECT_EQ(Bytes(modem.frames()[3].begin(), modem.frames()[3].end()), kReadAll);
    modem.clearLog();
    EXPECT_TRUE(modem.frames().empty());
}

TEST(Kv417rFaults, SilenceCountsReplyBytesFromArming) {
    Kv417r modem;
    feed(modem, kWrite70);  // bytes before arming do not count
    modem.setFaults({.silenceAfterBytes = 4});
    EXPECT_EQ(feed(modem, kRead70).size(), 4u);
    EXPECT_TRUE(feed(modem, kRead70).empty()) << "silence lasts until the faults are cleared";
    modem.clearFaults();
    EXPECT_EQ(feed(modem, kRead70).size(), 5u);
}

TEST(Kv417rFaults, SilenceCanHitAckBlockOrChecksumOfReadAll) {
    Kv417r modem;
    const Bytes full = feed(modem, kReadAll);
    for (int k : {0, 2, 3 + 100, 3 + 256}) {
        modem.setFaults({.silenceAfterBytes = k});
        const Bytes cut = feed(modem, kReadAll);
        ASSERT_EQ(cut.size(), static_cast<std::size_t>(k));
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), full.begin())) << "k = " << k;
    }
}

TEST(Kv417rFaults, WrongAckByteAtEachPosition) {
    Kv417r modem;
    modem.setFaults({.wrongAckPosition = 1, .wrongAckValue = 0x34});
    EXPECT_EQ(feed(modem, kWrite70), (Bytes{0x34, 0x06, 0x00}));
    modem.setFaults({.wrongAckPosition = 2, .wrongAckValue = 0x15});
    EXPECT_EQ(feed(modem, kRead70), (Bytes{0x33, 0x15, 0x00, 0xC0, 0x00}));
    modem.setFaults({.wrongAckPosition = 3, .wrongAckValue = 0x7E});
    const Bytes r = feed(modem, kReadAll);
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 3), (Bytes{0x33, 0x06, 0x7E}));
}

TEST(Kv417rFaults, WrongAckOnlyOnTheChosenFrameAndCommand) {
    Kv417r modem;
    modem.setFaults({.wrongAckPosition = 1, .wrongAckValue = 0x00, .wrongAckOnFrame = 2});
    EXPECT_EQ(feed(modem, kWrite70)[0], 0x33);
    EXPECT_EQ(feed(modem, kWrite70)[0], 0x00);
    EXPECT_EQ(feed(modem, kWrite70)[0], 0x33);

    modem.setFaults(
        {.wrongAckPosition = 2, .wrongAckValue = 0x00, .wrongAckCommand = Kv417r::kReadAll});
    EXPECT_EQ(feed(modem, kWrite70)[1], 0x06);
    EXPECT_EQ(feed(modem, kReadAll)[1], 0x00);
}

TEST(Kv417rFaults, WrongThirdByteAfterReadAllOnly) {
    Kv417r modem;
    modem.setFaults({.readAllThirdByte = 0x80});
    EXPECT_EQ(feed(modem, kReadAll)[2], 0x80);
    EXPECT_EQ(feed(modem, kWrite70)[2], 0x00);
}

TEST(Kv417rFaults, WrongBlockChecksum) {
    Kv417r modem(counting());
    modem.setFaults({.wrongBlockChecksum = true});
    const Bytes r = feed(modem, kReadAll);
    ASSERT_EQ(r.size(), 260u);
    EXPECT_EQ(r.back(), 0x81);
    EXPECT_EQ(r[3 + 200], 200) << "the block itself stays right";
}

TEST(Kv417rFaults, IgnoredWriteIsAcknowledgedButNotStored) {
    Kv417r modem(Kv417r::erasedMemory());
    modem.setFaults({.ignoredWriteWord = 0x7F});
    EXPECT_EQ(feed(modem, kWrite7F), (Bytes{0x33, 0x06, 0x00}));
    EXPECT_EQ(modem.memory()[0xFE], 0xFF);
    EXPECT_EQ(modem.memory()[0xFF], 0xFF);
    feed(modem, kWrite05);
    EXPECT_EQ(modem.memory()[0x0A], 0x12) << "other words are still written";
}

TEST(Kv417rFaults, StuckByteKeepsItsValueThroughWritesAndShowsInReads) {
    Kv417r modem(Kv417r::erasedMemory());
    modem.setFaults({.stuckAddress = 0xE1, .stuckValue = 0x42});
    feed(modem, kWrite70);  // C0 00 to bytes 0xE0, 0xE1
    EXPECT_EQ(modem.memory()[0xE0], 0xC0);
    EXPECT_EQ(modem.memory()[0xE1], 0x42);
    EXPECT_EQ(feed(modem, kRead70), (Bytes{0x33, 0x06, 0x00, 0xC0, 0x42}));
    EXPECT_EQ(feed(modem, kReadAll)[3 + 0xE1], 0x42);

    modem.setMemory(Kv417r::erasedMemory());
    EXPECT_EQ(modem.memory()[0xE1], 0x42) << "a new image does not free a stuck byte";
}

TEST(Kv417rMemory, DemoMemoryIsAnInitialisedModem) {
    const Kv417r::Memory m = Kv417r::demoMemory();
    EXPECT_EQ(m[0xFE], 0xE3);
    EXPECT_EQ(m[0xFF], 0x5A);
    int used = 0;
    for (int ch = 0; ch < 16; ++ch)
        used += (m[static_cast<std::size_t>(8 * ch + 7)] & 0x80) ? 1 : 0;
    EXPECT_GE(used, 2);
    EXPECT_LT(used, 16);
    // Set-mode bytes the main window can show without a "Setting Error": VCO bits 3..2 as 01
    // or 11, parity index 0..2, time-out and save indexes within their lists.
    EXPECT_NE(m[0xDE] & 0x04, 0);
    EXPECT_LE(m[0xDF] >> 6, 2);
    EXPECT_LE(m[0xDC], 11);
    EXPECT_LE(m[0xDD], 8);
    EXPECT_NE(m[0xE0], 0xFF) << "calibration block present";
    for (uint8_t b : Kv417r::erasedMemory()) ASSERT_EQ(b, 0xFF);
}

TEST(Kv417rMemory, ImageFilesRoundTripAndRefuseWrongSizes) {
    Kv417r modem(counting());
    kvsim::saveImageFile("image.bin", modem.image());
    EXPECT_EQ(QFile("image.bin").size(), 256);
    EXPECT_FALSE(QFile::exists("image.bin.tmp"));

    Kv417r other(Kv417r::erasedMemory());
    ASSERT_TRUE(other.setImage(kvsim::loadImageFile("image.bin", other.imageSize())));
    EXPECT_EQ(other.memory(), counting());

    EXPECT_FALSE(other.setImage(Bytes(255, 0x00)));
    EXPECT_EQ(other.memory(), counting());

    {
        QFile f("short.bin");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(255, '\0'));
    }
    EXPECT_THROW(kvsim::loadImageFile("short.bin", 256), std::runtime_error);
    EXPECT_THROW(kvsim::loadImageFile("missing.bin", 256), std::runtime_error);
    EXPECT_THROW(kvsim::saveImageFile("no/such/folder/x.bin", modem.image()), std::runtime_error);
}
