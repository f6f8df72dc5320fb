// The KV93x exchanges of Receive, Transmit and the factory window against the emulator.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "kvbport.h"
#include "model_b/programmer.h"
#include "testdata.h"

using kvb::LinkResult;
using kvb::MemoryImage;
using kvsim::Kv93x;

namespace {

const std::string kReadAll = "0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1";
const std::string kReadCalibration = "0E 02 70 00 AB 78 00 BA 00 00 00 FF FF FF 5A";

// 10, 20, ... up to `upTo`, then `last` when it is not 0.
std::vector<int> percents(int upTo, int last = 0) {
    std::vector<int> out;
    for (int p = 10; p <= upTo; p += 10) out.push_back(p);
    if (last) out.push_back(last);
    return out;
}

MemoryImage golden() {
    return kvtest::memoryImage<MemoryImage>("kv93x_receive.bin");
}

class KvbProgrammerTest : public kvtest::KvbPortTest {
  protected:
    kvb::Progress recorder() {
        seen.clear();
        return [this](int percent) { seen.push_back(percent); };
    }

    kvb::Programmer programmer{comm};
    std::vector<int> seen;
};

TEST_F(KvbProgrammerTest, ReadMemoryIsOneReadRangeAndKeepsTheImageWhenItFails) {
    setMemory(golden());
    MemoryImage image{};
    ASSERT_EQ(programmer.readMemory(image, recorder()), LinkResult::Ok);
    EXPECT_EQ(image, golden());
    EXPECT_EQ(seen, percents(90, 100));
    EXPECT_EQ(frames(), std::vector<std::string>{kReadAll});

    setMemory(Kv93x::erasedMemory());
    arm({.silenceAfterBytes = 1 + 255});
    EXPECT_EQ(programmer.readMemory(image, recorder()), LinkResult::CommError1);
    EXPECT_EQ(seen, percents(90));
    EXPECT_EQ(image, golden());
}

TEST_F(KvbProgrammerTest, TableWriteSends119WordsAroundTheCalibrationAndVerifies) {
    const Kv93x::Memory before = memory();
    MemoryImage image = golden();
    std::iota(image.begin() + 224, image.begin() + 242, uint8_t{0x30});  // must not go out
    ASSERT_EQ(programmer.writeTable(image, recorder()), LinkResult::Ok);
    EXPECT_EQ(seen, percents(90, 100));
    MemoryImage readBack{};
    ASSERT_EQ(programmer.readMemory(readBack, {}), LinkResult::Ok);

    const auto log = modem.frames();
    ASSERT_EQ(log.size(), 120u);
    for (std::size_t i = 0; i < 119; ++i) {
        const std::size_t word = i < 112 ? i : i + 9;  // 0..111, then 121..127
        ASSERT_EQ(log[i][1], Kv93x::kWriteWord) << "frame " << i;
        ASSERT_EQ(log[i][2], word) << "frame " << i;
        EXPECT_EQ(log[i][8], image[2 * word]);
        EXPECT_EQ(log[i][9], image[2 * word + 1]);
    }
    EXPECT_EQ(kvtest::frameText(log.back()), kReadAll);

    MemoryImage expected = image;
    std::copy(before.begin() + 224, before.begin() + 242, expected.begin() + 224);
    EXPECT_EQ(memory(), expected) << "calibration area written, or a table byte not";
    EXPECT_EQ(readBack, expected);
    EXPECT_TRUE(programmer.sameWrittenBytes(image, readBack)) << "calibration compared";
}

TEST_F(KvbProgrammerTest, TableWriteStopsAtTheFirstFailure) {
    const struct {
        const char* what;
        Kv93x::Faults faults;
        LinkResult result;
        int framesSent;
        int progressUpTo;
    } cases[] = {
        {"NAK on word 12",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 13},
         LinkResult::CommError2,
         13,
         0},
        {"silence at word 111", {.silenceAfterBytes = 111}, LinkResult::CommError1, 112, 90},
        {"NAK on word 127",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 119},
         LinkResult::CommError2,
         119,
         90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        arm(c.faults);
        EXPECT_EQ(programmer.writeTable(golden(), recorder()), c.result);
        EXPECT_EQ(static_cast<int>(modem.frames().size()), c.framesSent);
        EXPECT_EQ(seen, percents(c.progressUpTo));
    }
}

TEST(KvbCompare, OnlyTheWrittenBytesAndTheFormatMarkCount) {
    TCommX comm;
    const kvb::Programmer programmer(comm);
    const MemoryImage written = golden();
    for (const auto& [at, same] : {std::pair{0, false},
                                   {223, false},
                                   {224, true},
                                   {241, true},
                                   {242, false},
                                   {251, false},
                                   {255, false}}) {
        MemoryImage readBack = written;
        readBack[at] ^= 0x01;
        EXPECT_EQ(programmer.sameWrittenBytes(written, readBack), same) << "byte " << at;
    }
    MemoryImage image = written;
    EXPECT_TRUE(programmer.hasFormatMark(image));
    image[254] = 0xFF;
    EXPECT_FALSE(programmer.hasFormatMark(image));
    image[254] = 0x07;
    image[255] = 0xFF;
    EXPECT_FALSE(programmer.hasFormatMark(image));
}

TEST_F(KvbProgrammerTest, CalibrationReadAndWriteWithReadBack) {
    const Kv93x::Memory demo = memory();
    kvb::Calibration values{};
    ASSERT_EQ(programmer.readCalibration(values), LinkResult::Ok);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), demo.begin() + 224));

    kvb::Calibration written;
    std::iota(written.begin(), written.end(), uint8_t{0x80});
    setFaults({.stuckAddress = 230, .stuckValue = 0x00});
    kvb::Calibration readBack{};
    ASSERT_EQ(programmer.writeCalibration(written, readBack), LinkResult::Ok);
    std::vector<std::string> expected{kReadCalibration};
    for (int w = 112; w <= 120; ++w) {
        const int i = 2 * (w - 112);
        expected.push_back(kvtest::frameText(
            kvb::BuildFrame(kvb::cmd::WriteWord, uint8_t(w), 0, written[i], written[i + 1])));
    }
    expected.push_back(kReadCalibration);
    EXPECT_EQ(frames(), expected);
    kvb::Calibration kept = written;
    kept[6] = 0x00;
    EXPECT_EQ(readBack, kept);
}

TEST_F(KvbProgrammerTest, EraseWritesFFIntoEveryWordAndReadsAllBack) {
    for (const int stuck : {-1, 200}) {
        SCOPED_TRACE(stuck);
        setMemory(Kv93x::demoMemory());
        arm({.stuckAddress = stuck, .stuckValue = 0x00});
        bool erased = stuck >= 0;
        ASSERT_EQ(programmer.eraseMemory(erased), LinkResult::Ok);
        EXPECT_EQ(erased, stuck < 0);
        const auto log = modem.frames();
        ASSERT_EQ(log.size(), 129u);
        for (std::size_t w = 0; w < 128; ++w)
            EXPECT_EQ(
                kvtest::frameText(log[w]),
                kvtest::frameText(kvb::BuildFrame(kvb::cmd::WriteWord, uint8_t(w), 0, 0xFF, 0xFF)));
        EXPECT_EQ(kvtest::frameText(log.back()), kReadAll);
    }
}

}  // namespace
