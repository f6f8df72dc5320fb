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

std::vector<int> tens(int from, int to) {
    std::vector<int> out;
    for (int p = from; p <= to; p += 10) out.push_back(p);
    return out;
}

MemoryImage golden() {
    return kvtest::memoryImage<MemoryImage>("kv93x_receive.bin");
}

class KvbProgrammerTest : public kvtest::KvbPortTest {
  protected:
    kvb::Progress recorder() {
        return [this](int percent) { percents.push_back(percent); };
    }
    std::vector<Kv93x::Frame> sent() { return modem.frames(); }

    kvb::Programmer programmer{comm};
    std::vector<int> percents;
};

TEST_F(KvbProgrammerTest, ReadMemoryIsOneReadRangeWithProgressEvery26Bytes) {
    setMemory(golden());
    MemoryImage image{};
    ASSERT_EQ(programmer.readMemory(image, recorder()), LinkResult::Ok);
    EXPECT_EQ(image, golden());
    std::vector<int> expected = tens(10, 90);
    expected.push_back(100);
    EXPECT_EQ(percents, expected);
    EXPECT_EQ(frames(), std::vector<std::string>{"0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1"});
    EXPECT_TRUE(programmer.hasFormatMark(image));
}

TEST_F(KvbProgrammerTest, FailedReadKeepsTheImageAndNeverReaches100) {
    arm({.silenceAfterBytes = 1 + 255});
    MemoryImage image;
    image.fill(0x5A);
    EXPECT_EQ(programmer.readMemory(image, recorder()), LinkResult::CommError1);
    EXPECT_EQ(percents, tens(10, 90));
    for (uint8_t b : image) ASSERT_EQ(b, 0x5A);
}

TEST_F(KvbProgrammerTest, TableWriteSends119WordsAroundTheCalibrationAndVerifies) {
    const Kv93x::Memory before = memory();
    MemoryImage image = golden();
    std::iota(image.begin() + 224, image.begin() + 242, uint8_t{0x30});  // must not go out
    ASSERT_EQ(programmer.writeTable(image, recorder()), LinkResult::Ok);
    std::vector<int> expected = tens(10, 90);
    expected.push_back(100);
    EXPECT_EQ(percents, expected);

    MemoryImage readBack{};
    ASSERT_EQ(programmer.readMemory(readBack, {}), LinkResult::Ok);
    const auto log = sent();
    ASSERT_EQ(log.size(), 120u);
    std::vector<int> words;
    for (std::size_t i = 0; i < 119; ++i) {
        const Kv93x::Frame& f = log[i];
        ASSERT_EQ(f[1], Kv93x::kWriteWord) << "frame " << i;
        words.push_back(f[2]);
        EXPECT_EQ(f[8], image[2u * f[2]]);
        EXPECT_EQ(f[9], image[2u * f[2] + 1]);
    }
    std::vector<int> expectedWords(112);
    std::iota(expectedWords.begin(), expectedWords.end(), 0);
    for (int w = 121; w <= 127; ++w) expectedWords.push_back(w);
    EXPECT_EQ(words, expectedWords);
    EXPECT_EQ(log.back()[1], Kv93x::kReadRange);

    const Kv93x::Memory after = memory();
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 224, image.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 224, after.begin() + 242, before.begin() + 224))
        << "calibration area written";
    EXPECT_TRUE(std::equal(after.begin() + 242, after.end(), image.begin() + 242));
    EXPECT_EQ(readBack, after);
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
        {"NAK on word 0",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 1},
         LinkResult::CommError2,
         1,
         0},
        {"NAK on word 12",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 13},
         LinkResult::CommError2,
         13,
         0},
        {"NAK on word 13",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 14},
         LinkResult::CommError2,
         14,
         10},
        {"silence at word 111", {.silenceAfterBytes = 111}, LinkResult::CommError1, 112, 90},
        {"NAK on word 127",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 119},
         LinkResult::CommError2,
         119,
         90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        percents.clear();
        arm(c.faults);
        EXPECT_EQ(programmer.writeTable(golden(), recorder()), c.result);
        EXPECT_EQ(static_cast<int>(sent().size()), c.framesSent);
        EXPECT_EQ(percents, tens(10, c.progressUpTo));
    }
}

TEST(KvbCompare, OnlyTheWrittenBytesAndTheFormatMarkCount) {
    TCommX comm;
    const kvb::Programmer programmer(comm);
    const MemoryImage written = golden();
    const struct {
        int at;
        bool same;
    } differences[] = {{0, false},   {63, false},  {129, false}, {161, false}, {223, false},
                       {224, true},  {233, true},  {241, true},  {242, false}, {250, false},
                       {251, false}, {253, false}, {254, false}, {255, false}};
    for (const auto& d : differences) {
        SCOPED_TRACE(d.at);
        MemoryImage readBack = written;
        readBack[d.at] ^= 0x01;
        EXPECT_EQ(programmer.sameWrittenBytes(written, readBack), d.same);
    }

    const struct {
        uint8_t b254, b255;
        bool mark;
    } marks[] = {{0x07, 0x15, true},
                 {0xFF, 0xFF, false},
                 {0x07, 0xFF, false},
                 {0xFF, 0x15, false},
                 {0x15, 0x07, false}};
    for (const auto& m : marks) {
        MemoryImage image = written;
        image[254] = m.b254;
        image[255] = m.b255;
        EXPECT_EQ(programmer.hasFormatMark(image), m.mark) << int(m.b254) << " " << int(m.b255);
    }
}

TEST_F(KvbProgrammerTest, CalibrationReadAndWriteWithReadBack) {
    const Kv93x::Memory demo = memory();
    kvb::Calibration values{};
    ASSERT_EQ(programmer.readCalibration(values), LinkResult::Ok);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), demo.begin() + 224));
    EXPECT_EQ(frames(), std::vector<std::string>{"0E 02 70 00 AB 78 00 BA 00 00 00 FF FF FF 5A"});

    kvb::Calibration written;
    std::iota(written.begin(), written.end(), uint8_t{0x80});
    setMemory(demo);  // forgets the frames
    setFaults({.stuckAddress = 230, .stuckValue = 0x00});
    kvb::Calibration readBack{};
    ASSERT_EQ(programmer.writeCalibration(written, readBack), LinkResult::Ok);
    const auto log = sent();
    ASSERT_EQ(log.size(), 10u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(log[i][1], Kv93x::kWriteWord);
        EXPECT_EQ(log[i][2], 112 + i);
    }
    EXPECT_EQ(kvtest::frameText(log[9]), "0E 02 70 00 AB 78 00 BA 00 00 00 FF FF FF 5A");
    kvb::Calibration expected = written;
    expected[6] = 0x00;
    EXPECT_EQ(readBack, expected);
    const Kv93x::Memory after = memory();
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 224, demo.begin()));
}

TEST_F(KvbProgrammerTest, EraseWritesEveryWordAndReadsAllBack) {
    const struct {
        const char* what;
        Kv93x::Faults faults;
        LinkResult result;
        int framesSent;
        bool erased;  // what the exchange reports, when it completes
    } cases[] = {
        {"clean", {}, LinkResult::Ok, 129, true},
        {"stuck byte", {.stuckAddress = 200, .stuckValue = 0x00}, LinkResult::Ok, 129, false},
        {"NAK on word 49",
         {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 50},
         LinkResult::CommError2,
         50,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setMemory(Kv93x::demoMemory());
        arm(c.faults);
        bool erased = false;
        EXPECT_EQ(programmer.eraseMemory(erased), c.result);
        EXPECT_EQ(erased, c.erased);
        const auto log = sent();
        ASSERT_EQ(static_cast<int>(log.size()), c.framesSent);
        for (int i = 0; i < std::min(c.framesSent, 128); ++i) {
            const Kv93x::Frame& f = log[static_cast<std::size_t>(i)];
            EXPECT_EQ(f[1], Kv93x::kWriteWord);
            EXPECT_EQ(f[2], i);
            EXPECT_EQ(f[8] & f[9], 0xFF);
        }
        if (c.framesSent == 129) {
            EXPECT_EQ(kvtest::frameText(log.back()),
                      "0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1");
        }
    }
}

}  // namespace
