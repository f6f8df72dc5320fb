// The KV93x state machine on its own: its two requests byte for byte, what it leaves
// unanswered, and the generic faults as this modem applies them. Framing and fault counting
// of the base are proven with the KV417R.
#include <gtest/gtest.h>

#include <algorithm>

#include "feed.h"
#include "sim/kv93x.h"

using kvsim::Kv93x;
using Bytes = std::vector<uint8_t>;
using kvtest::feed;

namespace {

// The design's example frames.
const Bytes kReadAll{0x0E, 0x02, 0x00, 0x00, 0xAB, 0x7F, 0x00, 0xBA,
                     0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF1};
const Bytes kReadCalibration{0x0E, 0x02, 0x70, 0x00, 0xAB, 0x78, 0x00, 0xBA,
                             0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x5A};
const Bytes kEraseWord0{0x0E, 0x01, 0x00, 0x00, 0xAB, 0x00, 0x00, 0xBA,
                        0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x6F};

// A frame with the sum made to agree, after `change` has had its way with the bytes.
Bytes frame(uint8_t command, uint8_t first, uint8_t last, uint8_t b0, uint8_t b1,
            void (*change)(Bytes&) = nullptr) {
    Bytes f{0x0E, command, first, 0x00, 0xAB, last, 0x00, 0xBA, b0, b1, 0x00, 0xFF, 0xFF, 0xFF, 0};
    if (change) change(f);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 14; ++i) sum += f[i];
    f[14] = static_cast<uint8_t>(sum);
    return f;
}

Kv93x::Memory counting() {
    Kv93x::Memory m;
    for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<uint8_t>(i);
    return m;
}

Bytes ackThen(int from, int to) {
    Bytes b{0x06};
    for (int i = from; i <= to; ++i) b.push_back(static_cast<uint8_t>(i));
    return b;
}

}  // namespace

TEST(Kv93xCommands, WriteWordAndReadRange) {
    Kv93x modem(counting());
    EXPECT_EQ(feed(modem, kReadCalibration), ackThen(224, 241));
    EXPECT_EQ(feed(modem, kReadAll), ackThen(0, 255));
    EXPECT_EQ(feed(modem, frame(Kv93x::kReadRange, 127, 127, 0, 0)), ackThen(254, 255));

    EXPECT_EQ(feed(modem, kEraseWord0), Bytes{0x06});
    EXPECT_EQ(feed(modem, frame(Kv93x::kWriteWord, 127, 0, 0x07, 0x15)), Bytes{0x06});
    Kv93x::Memory expected = counting();
    expected[0] = expected[1] = 0xFF;
    expected[254] = 0x07;
    expected[255] = 0x15;
    EXPECT_EQ(modem.memory(), expected);
    EXPECT_EQ(modem.countFrames(Kv93x::kWriteWord), 2);
}

TEST(Kv93xCommands, WhatTheModemCannotCarryOutGetsNoAnswer) {
    const struct {
        const char* what;
        Bytes frame;
    } cases[] = {
        {"bad sum",
         [] {
             Bytes f = kEraseWord0;
             f[14] ^= 0x01;
             return f;
         }()},
        {"unknown command", frame(0x03, 0, 0, 0, 0)},
        {"write beyond 127", frame(Kv93x::kWriteWord, 128, 0, 1, 2)},
        {"read from beyond 127", frame(Kv93x::kReadRange, 128, 128, 0, 0)},
        {"read up to beyond 127", frame(Kv93x::kReadRange, 120, 128, 0, 0)},
        {"range ending before it starts", frame(Kv93x::kReadRange, 5, 4, 0, 0)},
        {"marker byte wrong", frame(Kv93x::kReadRange, 0, 0, 0, 0, [](Bytes& f) { f[4] = 0xAA; })},
        {"trailing fill wrong", frame(Kv93x::kWriteWord, 0, 0, 1, 2, [](Bytes& f) { f[13] = 0; })},
        {"write with an end address", frame(Kv93x::kWriteWord, 0, 1, 1, 2)},
        {"read with data bytes", frame(Kv93x::kReadRange, 0, 1, 0, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Kv93x modem;
        EXPECT_TRUE(feed(modem, c.frame).empty());
        EXPECT_EQ(modem.memory(), Kv93x::demoMemory());
        EXPECT_EQ(feed(modem, kReadCalibration).size(), 19u) << "out of step afterwards";
    }
}

TEST(Kv93xFaults, RefusalOnFrameNCarriesNothingOut) {
    Kv93x modem(counting());
    modem.setFaults({.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = 2});
    EXPECT_EQ(feed(modem, kReadCalibration), ackThen(224, 241));
    EXPECT_EQ(feed(modem, kReadAll), Bytes{0x15}) << "a refusal carries no data";
    EXPECT_EQ(feed(modem, kReadCalibration), ackThen(224, 241));

    modem.setFaults({.wrongAckPosition = 1, .wrongAckValue = 0x00, .wrongAckOnFrame = 1});
    EXPECT_EQ(feed(modem, kEraseWord0), Bytes{0x00});
    EXPECT_EQ(modem.memory(), counting()) << "a refused write was kept";
}

TEST(Kv93xFaults, StuckByteAndIgnoredWrite) {
    Kv93x modem(counting());
    modem.setFaults({.ignoredWriteWord = 1, .stuckAddress = 0, .stuckValue = 0x42});
    EXPECT_EQ(feed(modem, kEraseWord0), Bytes{0x06});
    EXPECT_EQ(feed(modem, frame(Kv93x::kWriteWord, 1, 0, 0xAA, 0xBB)), Bytes{0x06});
    EXPECT_EQ(feed(modem, frame(Kv93x::kReadRange, 0, 1, 0, 0)), (Bytes{0x06, 0x42, 0xFF, 2, 3}));
}

TEST(Kv93xMemory, DemoMemoryIsAWrittenModem) {
    const Kv93x::Memory m = Kv93x::demoMemory();
    EXPECT_EQ(m[254], 0x07);
    EXPECT_EQ(m[255], 0x15);
    int used = 0;
    for (int k = 0; k < 16; ++k) used += (m[129u + 2u * k] & 0x80) ? 1 : 0;
    EXPECT_GE(used, 2);
    EXPECT_LT(used, 16);
    // Set-mode values the main window shows without a setting error.
    EXPECT_LE((m[161] >> 4) & 3, 2);
    EXPECT_LE(m[161] >> 6, 2);
    EXPECT_LE(m[162], 11);
    EXPECT_LE(m[163], 8);
    EXPECT_TRUE(m[252] >= 0x01 && m[252] <= 0x12 && m[253] >= 0x01 && m[253] <= 0x31)
        << "a plausible month and day";
    EXPECT_FALSE(std::all_of(m.begin() + 224, m.begin() + 242, [](uint8_t b) { return b == 0xFF; }))
        << "calibration area present";
}
