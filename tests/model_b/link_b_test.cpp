// The KV93x link with the real serial component against the emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "kvbport.h"
#include "model_b/link.h"

using kvb::LinkResult;
using kvsim::Kv93x;

namespace {

// The design's three example frames, and a write whose two data bytes differ: the sum
// cannot tell their order, only their places can.
const std::string kReadAll = "0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1";
const std::string kReadCalibration = "0E 02 70 00 AB 78 00 BA 00 00 00 FF FF FF 5A";
const std::string kEraseWord0 = "0E 01 00 00 AB 00 00 BA FF FF 00 FF FF FF 6F";
const std::string kWrite1234ToWord5 = "0E 01 05 00 AB 00 00 BA 12 34 00 FF FF FF BC";

TEST(KvbFrame, GoldenFrames) {
    EXPECT_EQ(kvtest::frameText(kvb::BuildFrame(kvb::cmd::ReadRange, 0x00, 0x7F, 0, 0)), kReadAll);
    EXPECT_EQ(kvtest::frameText(kvb::BuildFrame(kvb::cmd::ReadRange, 0x70, 0x78, 0, 0)),
              kReadCalibration);
    EXPECT_EQ(kvtest::frameText(kvb::BuildFrame(kvb::cmd::WriteWord, 0x00, 0x00, 0xFF, 0xFF)),
              kEraseWord0);
    EXPECT_EQ(kvtest::frameText(kvb::BuildFrame(kvb::cmd::WriteWord, 0x05, 0x00, 0x12, 0x34)),
              kWrite1234ToWord5);
}

class KvbLinkTest : public kvtest::KvbPortTest {
  protected:
    kvb::Link link{comm};
};

TEST_F(KvbLinkTest, AnyReplyButAckIsError2AndSilenceError1) {
    const struct {
        const char* what;
        Kv93x::Faults faults;
        LinkResult expected;
    } cases[] = {
        {"NAK", {.wrongAckPosition = 1, .wrongAckValue = 0x15}, LinkResult::CommError2},
        {"zero", {.wrongAckPosition = 1, .wrongAckValue = 0x00}, LinkResult::CommError2},
        {"silence", {.silenceAfterBytes = 0}, LinkResult::CommError1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        arm(c.faults);
        EXPECT_EQ(link.WriteWord(5, 0x12, 0x34), c.expected);
        std::vector<uint8_t> data(4, 0xA5);
        EXPECT_EQ(link.ReadRange(6, 7, data), c.expected);
        EXPECT_EQ(data, std::vector<uint8_t>(4, 0xA5));
        ASSERT_EQ(frames().size(), 2u);
        EXPECT_EQ(frames()[0], kWrite1234ToWord5);
    }
}

TEST_F(KvbLinkTest, MissingDataByteIsError1AndLeavesTheBufferUntouched) {
    const struct {
        uint8_t first, last;
        int bytesSent;  // data bytes the modem sends before it falls silent
    } cases[] = {{0x70, 0x78, 17}, {0x00, 0x7F, 255}, {0x00, 0x7F, 0}, {0x10, 0x10, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytesSent);
        arm({.silenceAfterBytes = 1 + c.bytesSent});
        std::vector<uint8_t> data(2u * (c.last - c.first + 1u), 0xA5);
        int arrived = 0;
        EXPECT_EQ(link.ReadRange(c.first, c.last, data, [&](int) { ++arrived; }),
                  LinkResult::CommError1);
        EXPECT_EQ(arrived, c.bytesSent);
        EXPECT_EQ(data, std::vector<uint8_t>(data.size(), 0xA5));
    }
}

TEST_F(KvbLinkTest, RangeOrBufferThatDoNotAgreeAreRefusedBeforeSending) {
    std::vector<uint8_t> data(4);
    EXPECT_THROW(link.ReadRange(5, 4, data), std::invalid_argument);
    EXPECT_THROW(link.ReadRange(4, 4, data), std::invalid_argument);  // room for two words
    EXPECT_THROW(link.ReadRange(127, 128, data), std::invalid_argument);
    EXPECT_THROW(link.WriteWord(128, 0, 0), std::invalid_argument);
    EXPECT_TRUE(frames().empty());
}

TEST_F(KvbLinkTest, FrameBytesArePacedMoreThan2MsApart) {
    const auto start = std::chrono::steady_clock::now();
    link.SendFrame(kvb::cmd::WriteWord, 1, 0, 0x12, 0x34);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_EQ(link.AwaitAck(), LinkResult::Ok);
}

}  // namespace
