// KV417R channel records, set-mode bytes, frequency codes and grid texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "model_a/chdata.h"
#include "platform/localefmt.h"

using namespace kva;

namespace {

Bcd3 bcd(uint8_t a, uint8_t b, uint8_t c) {
    return {a, b, c};
}

// Pins the decimal separator for one test and gives the system's back afterwards.
struct SeparatorGuard {
    explicit SeparatorGuard(QChar sep) { platform::setDecimalSeparatorForTesting(sep); }
    ~SeparatorGuard() { platform::setDecimalSeparatorForTesting(QChar()); }
};

TChData fullChannel() {
    TChData ch = emptyChannel();
    ch.Used = 1;
    ch.RxFrq = 229.5125;
    ch.TxFrq = 223.0;
    ch.Power = 2;  // L3
    ch.BR = 1;     // 2400/1200
    ch.DA = 1;     // ON
    ch.MBR = 0;    // 2400
    ch.SQL = 4;    // L5
    return ch;
}
const ChannelBytes kFullRecord = {0x22, 0x95, 0x13, 0x05, 0x22, 0x30, 0x00, 0xE3};

bool withinRx(const FrqLimits& l, double f) {
    return l.RxFrqMin <= f && f <= l.RxFrqMax;
}
bool withinTx(const FrqLimits& l, double f) {
    return l.TxFrqMin <= f && f <= l.TxFrqMax;
}

}  // namespace

TEST(FrqToBcd, WorkedExamples) {
    EXPECT_EQ(FrqToBcd(229.5125), bcd(0x22, 0x95, 0x13));
    EXPECT_EQ(FrqToBcd(223.0), bcd(0x22, 0x30, 0x00));
    EXPECT_EQ(FrqToBcd(235.0), bcd(0x23, 0x50, 0x00));
    EXPECT_EQ(FrqToBcd(999.999), bcd(0x99, 0x99, 0x99));
}

TEST(FrqToBcd, ExactHalfKhzGoesAwayFromZero) {
    // These products are exact halves; rounding half to even would give ...62.
    ASSERT_EQ(128.0625 * 1000.0, 128062.5);
    ASSERT_EQ(229.5625 * 1000.0, 229562.5);
    EXPECT_EQ(FrqToBcd(128.0625), bcd(0x12, 0x80, 0x63));
    EXPECT_EQ(FrqToBcd(229.5625), bcd(0x22, 0x95, 0x63));
    EXPECT_EQ(FrqToBcd(0.0625), bcd(0x00, 0x00, 0x63));
    EXPECT_EQ(FrqToBcd(229.5624), bcd(0x22, 0x95, 0x62));
}

TEST(FrqToBcd, FewerThanSixDigitsArePaddedAndRoundTrip) {
    EXPECT_EQ(FrqToBcd(45.1), bcd(0x04, 0x51, 0x00));
    EXPECT_EQ(BcdToFrq(0x04, 0x51, 0x00), 45.1);
    EXPECT_EQ(FrqToBcd(9.999), bcd(0x00, 0x99, 0x99));
    EXPECT_EQ(FrqToBcd(0.001), bcd(0x00, 0x00, 0x01));
    EXPECT_EQ(FrqToBcd(0.0), bcd(0, 0, 0));
    EXPECT_EQ(FrqToBcd(0.0004), bcd(0, 0, 0));
}

TEST(FrqToBcd, MoreThanSixDigitsKeepTheFirstSix) {
    EXPECT_EQ(FrqToBcd(1000.0), bcd(0x10, 0x00, 0x00));
    EXPECT_EQ(FrqToBcd(1234.5678), bcd(0x12, 0x34, 0x56));  // 1234568 kHz
    EXPECT_EQ(FrqToBcd(1.8e16), bcd(0x18, 0x00, 0x00));     // 1.8e19 kHz still fits 64 bits
}

TEST(FrqToBcd, ValuesWithoutAWholeKhzEncodeAsNoFrequency) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double f : {std::nan(""), inf, -inf, -229.5125, -0.6, 1e300,
                     std::numeric_limits<double>::max(), 2e16}) {
        EXPECT_EQ(FrqToBcd(f), bcd(0, 0, 0)) << f;
    }
}

TEST(FrqToBcd, FitsOnlyWhatSixDigitsHoldToTheNearestKhz) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, bool> cases[] = {
        {0.0, true},      {45.1, true},          {229.5125, true}, {999.999, true},
        {999.9994, true}, {999.9995, false},     {1000.0, false},  {1229.5, false},
        {-0.001, false},  {std::nan(""), false}, {inf, false}};
    for (const auto& [f, fits] : cases) EXPECT_EQ(kva::frequencyFitsBcd(f), fits) << f;
}

TEST(BcdToFrq, ReadsBackWholeKhz) {
    const double f = BcdToFrq(0x22, 0x95, 0x13);
    EXPECT_DOUBLE_EQ(f, 229.513);
    EXPECT_EQ(platform::formatFixed(f, 3, 4), "229.5130");
    EXPECT_EQ(BcdToFrq(0x22, 0x30, 0x00), 223.0);
    // Nibbles above 9 are taken as they are.
    EXPECT_NEAR(BcdToFrq(0xFF, 0xFF, 0xFF), 1500 + 150 + 15 + 1.5 + 0.15 + 0.015, 1e-9);
    EXPECT_NEAR(BcdToFrq(0x0A, 0x00, 0x00), 100.0, 1e-12);
}

TEST(BcdToFrq, EverySixDigitCodeSurvivesARoundTrip) {
    int failures = 0;
    for (int n = 0; n <= 999999; ++n) {
        const auto digit = [n](int place) { return (n / place) % 10; };
        const Bcd3 code = {static_cast<uint8_t>(digit(100000) << 4 | digit(10000)),
                           static_cast<uint8_t>(digit(1000) << 4 | digit(100)),
                           static_cast<uint8_t>(digit(10) << 4 | digit(1))};
        if (FrqToBcd(BcdToFrq(code[0], code[1], code[2])) != code && ++failures < 5) {
            ADD_FAILURE() << "kHz " << n;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(StrToFrq, NumbersAndNonNumbers) {
    EXPECT_EQ(StrToFrq("229.5125"), 229.5125);
    EXPECT_EQ(StrToFrq("  223 "), 223.0);
    EXPECT_EQ(StrToFrq(""), 0.0);
    EXPECT_EQ(StrToFrq("abc"), 0.0);
    EXPECT_EQ(StrToFrq("22 3"), 0.0);
    EXPECT_EQ(StrToFrq("nan"), 0.0);
}

TEST(Limits, BothEndsIncludedInBothModes) {
    const FrqLimits normal = limitsFor(false);
    for (double f : {223.0, 235.0}) EXPECT_TRUE(withinRx(normal, f) && withinTx(normal, f)) << f;
    for (double f : {222.9999, 235.0001}) EXPECT_FALSE(withinRx(normal, f) || withinTx(normal, f));

    const FrqLimits production = limitsFor(true);
    for (double f : {200.0, 250.0, 222.9999}) EXPECT_TRUE(withinRx(production, f)) << f;
    for (double f : {199.9999, 250.0001}) EXPECT_FALSE(withinTx(production, f)) << f;
}

TEST(ChannelEncode, FullRecordAndFlagBits) {
    EXPECT_EQ(encodeChannel(fullChannel()), kFullRecord);

    TChData ch = fullChannel();
    ch.DA = 0;
    ch.BR = 0;
    ch.MBR = 1;
    ch.Power = 4;
    EXPECT_EQ(encodeChannel(ch)[7], 0x80 | 0x10 | 0x05);
    ch.MBR = 2;  // only exactly 1 sets a bit
    ch.DA = -1;
    EXPECT_EQ(encodeChannel(ch)[7], 0x85);
}

TEST(ChannelEncode, UnusedIsEightZerosAndBadIndexesGiveCodeZero) {
    TChData ch = fullChannel();
    ch.Used = 0;
    EXPECT_EQ(encodeChannel(ch), ChannelBytes{});

    ch = fullChannel();
    ch.Power = -1;
    ch.SQL = 9;
    const ChannelBytes out = encodeChannel(ch);
    EXPECT_EQ(out[7], 0xE0);
    EXPECT_EQ(out[3], 0x00);
    ch.Power = 5;
    ch.SQL = -1;
    EXPECT_EQ(encodeChannel(ch)[7], 0xE0);
    EXPECT_EQ(encodeChannel(ch)[3], 0x00);
    ch.Used = 0x42;  // any non-zero byte from a file means used
    EXPECT_EQ(encodeChannel(ch)[7] & 0x80, 0x80);
}

TEST(ChannelDecode, FullRecord) {
    const TChData ch = decodeChannel(kFullRecord.data());
    EXPECT_EQ(ch.Used, 1);
    EXPECT_DOUBLE_EQ(ch.RxFrq, 229.513);
    EXPECT_EQ(ch.TxFrq, 223.0);
    EXPECT_EQ(ch.Power, 2);
    EXPECT_EQ(ch.BR, 1);
    EXPECT_EQ(ch.DA, 1);
    EXPECT_EQ(ch.MBR, 0);
    EXPECT_EQ(ch.SQL, 4);
}

TEST(ChannelDecode, EmptyAndUnknownCodes) {
    ChannelBytes r = kFullRecord;
    r[7] = 0x7F;  // everything but the used bit
    const TChData empty = decodeChannel(r.data());
    EXPECT_EQ(empty.Used, 0);
    EXPECT_EQ(empty.RxFrq, 0.0);
    EXPECT_EQ(empty.Power, -1);
    EXPECT_EQ(empty.SQL, -1);

    for (uint8_t code : {0x00, 0x06, 0x0F}) {
        r[7] = 0x80 | code;
        EXPECT_EQ(decodeChannel(r.data()).Power, -1) << int(code);
    }
    for (uint8_t code : {0x00, 0x0A, 0xF0}) {
        r[3] = code;
        EXPECT_EQ(decodeChannel(r.data()).SQL, -1) << int(code);
    }
    r[3] = 0x39;  // upper nibble ignored: L9
    EXPECT_EQ(decodeChannel(r.data()).SQL, 8);
}

TEST(ChannelDecode, EveryValidChannelRoundTrips) {
    TChData ch = fullChannel();
    ch.RxFrq = 234.567;
    for (ch.Power = 0; ch.Power < 5; ++ch.Power)
        for (ch.BR = 0; ch.BR < 2; ++ch.BR)
            for (ch.DA = 0; ch.DA < 2; ++ch.DA)
                for (ch.MBR = 0; ch.MBR < 2; ++ch.MBR)
                    for (ch.SQL = 0; ch.SQL < 9; ++ch.SQL) {
                        const TChData back = decodeChannel(encodeChannel(ch).data());
                        ASSERT_TRUE(back.Power == ch.Power && back.BR == ch.BR &&
                                    back.DA == ch.DA && back.MBR == ch.MBR && back.SQL == ch.SQL &&
                                    back.RxFrq == ch.RxFrq);
                    }
}

TEST(SetMode, DefaultBytes) {
    EXPECT_EQ(encodeByteA(defaultSetMode()), 0xB0);  // SB 9600 (3), SP EVEN (2)
    EXPECT_EQ(encodeByteB(defaultSetMode()), 0x05);  // 8 bit, VCO Tx off = 01

    TSetMode m = {1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 0, 0, 0};
    EXPECT_EQ(encodeByteA(m), 0x4F);
    EXPECT_EQ(encodeByteB(m), 0x1E);
    m.VCO = 7;  // any value but 0 is Tx on
    EXPECT_EQ(encodeByteB(m) & 0x0C, 0x0C);
    m.SB = 4;
    m.SP = -1;
    EXPECT_EQ(encodeByteA(m) & 0xF0, 0x00);
}

TEST(SetMode, DecodeVcoSpAndRawTimers) {
    MemoryImage image{};
    const int vcoFor[4] = {1, 0, 1, 1};  // bits 3..2 = 00, 01, 10, 11
    for (int bits = 0; bits < 4; ++bits) {
        image[addr::ByteB] = static_cast<uint8_t>(bits << 2);
        EXPECT_EQ(decodeSetMode(image).VCO, vcoFor[bits]) << bits;
    }
    image[addr::ByteA] = 0xFF;
    image[addr::ByteB] = 0x13;
    image[addr::Tot] = 12;
    image[addr::Save] = 200;
    image[addr::Sleep] = 5;
    const TSetMode m = decodeSetMode(image);
    EXPECT_EQ(m.SP, 3);
    EXPECT_EQ(m.SB, 3);
    EXPECT_TRUE(m.Data == 1 && m.Busy == 1 && m.FSQC == 1 && m.EXT == 1);
    EXPECT_TRUE(m.SD == 1 && m.ST == 1 && m.RMT == 1);
    EXPECT_EQ(m.Tot, 12);
    EXPECT_EQ(m.Save, 200);
    EXPECT_EQ(m.SL, 0);
}

TEST(SetMode, EveryControlCombinationRoundTrips) {
    TSetMode m = defaultSetMode();
    m.Tot = 11;
    m.Save = 8;
    for (int bits = 0; bits < 64; ++bits)
        for (m.SB = 0; m.SB < 4; ++m.SB)
            for (m.SP = 0; m.SP < 3; ++m.SP) {
                m.Data = bits & 1, m.Busy = bits >> 1 & 1, m.FSQC = bits >> 2 & 1;
                m.EXT = bits >> 3 & 1, m.VCO = bits >> 4 & 1, m.RMT = bits >> 5 & 1;
                m.ST = m.Data ^ m.RMT, m.SD = m.Busy ^ m.VCO;
                const TSetMode back = decodeSetMode(buildWriteImage(defaultSetData(), m));
                ASSERT_EQ(std::memcmp(&back, &m, sizeof m), 0) << bits << " " << m.SB;
            }
}

TEST(WriteImage, Layout) {
    TSetData table = defaultSetData();
    table.Ch[0] = fullChannel();
    table.Ch[15] = fullChannel();
    table.Ch[15].SQL = 0;
    table.Ch[7] = fullChannel();
    table.Ch[7].Used = 0;
    table.Mode.Tot = 3;  // the block's set-mode copy is not what gets written

    TSetMode controls = defaultSetMode();
    controls.Tot = 12;
    controls.Save = 0x105;
    const MemoryImage image = buildWriteImage(table, controls);

    MemoryImage expected{};
    std::memcpy(&expected[0], kFullRecord.data(), 8);
    std::memcpy(&expected[120], kFullRecord.data(), 8);
    expected[123] = 0x01;
    expected[0xDC] = 12;
    expected[0xDD] = 0x05;
    expected[0xDE] = 0x05;
    expected[0xDF] = 0xB0;
    expected[0xFE] = 0xE3;
    expected[0xFF] = 0x5A;
    for (int i = 0; i < kMemorySize; ++i) EXPECT_EQ(image[i], expected[i]) << "address " << i;
}

TEST(Defaults, BlockIsZeroedThenFilled) {
    const TSetData d = defaultSetData();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&d);
    for (int k = 0; k < kChannels; ++k) {
        for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[48 * k + i], 0) << k << ":" << i;
        for (int i = 44; i < 48; ++i) EXPECT_EQ(bytes[48 * k + i], 0) << k << ":" << i;
        EXPECT_EQ(d.Ch[k].Power, -1);
        EXPECT_EQ(d.Ch[k].SQL, -1);
    }
    for (int i = 820; i < 824; ++i) EXPECT_EQ(bytes[i], 0) << i;
    const TSetMode expected = {0, 0, 0, 0, 0, 3, 2, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&d.Mode, &expected, sizeof expected), 0);
}

TEST(GridTexts, EachWriterUsesItsOwnOnText) {
    const std::array<QString, 7> set = gridTexts(fullChannel(), GridWriter::Set);
    const std::array<QString, 7> expected = {"229.5125", "223.0000", "    L3", "2400/1200",
                                             " ON ",     "2400",     "    L5"};
    EXPECT_EQ(set, expected);
    EXPECT_EQ(gridTexts(fullChannel(), GridWriter::Read)[4], " ON");
    EXPECT_EQ(gridTexts(fullChannel(), GridWriter::FileOpen)[4], "ON");

    TChData ch = fullChannel();
    ch.BR = 0, ch.DA = 0, ch.MBR = 1, ch.Power = 0, ch.SQL = 8;
    const std::array<QString, 7> other = {"229.5125", "223.0000", "    L1", "     4800",
                                          "OFF",      "1200",     "    L9"};
    EXPECT_EQ(gridTexts(ch, GridWriter::Read), other);
}

TEST(GridTexts, EmptyCells) {
    TChData ch = fullChannel();
    ch.Power = 5, ch.BR = -1, ch.DA = 2, ch.MBR = 7, ch.SQL = -1;
    for (GridWriter w : {GridWriter::Set, GridWriter::Read, GridWriter::FileOpen}) {
        const std::array<QString, 7> t = gridTexts(ch, w);
        for (int c = 2; c < 7; ++c) EXPECT_TRUE(t[c].isEmpty()) << c;
    }
    // A read shows an unused channel as empty cells; a file shows the block as it is.
    ch = fullChannel();
    ch.Used = 0;
    EXPECT_EQ(gridTexts(ch, GridWriter::Read), (std::array<QString, 7>{}));
    EXPECT_EQ(gridTexts(ch, GridWriter::FileOpen)[2], "    L3");
    ch.RxFrq = 0.0;
    EXPECT_TRUE(gridTexts(ch, GridWriter::FileOpen)[0].isEmpty());
    ch.Used = 1;
    EXPECT_EQ(gridTexts(ch, GridWriter::Read)[0], "0.0000");
}

TEST(GridTexts, DecimalCommaBothWays) {
    SeparatorGuard comma(QChar(','));
    EXPECT_EQ(gridTexts(fullChannel(), GridWriter::Set)[0], "229,5125");
    EXPECT_EQ(StrToFrq(" 229,5125 "), 229.5125);
    EXPECT_EQ(StrToFrq("229,51,25"), 0.0);
}

TEST(GridTexts, HeadingsAndItems) {
    const QStringList headings = {"RX Frq.", "TX Frq.", "TX Power", "       BR",
                                  "D/A",     "MBR",     "   SQL"};
    for (int c = 1; c <= 7; ++c) EXPECT_EQ(gridHeading(c), headings[c - 1]);

    EXPECT_EQ(items::power().join('|'), "L1|L2|L3|L4|L5");
    EXPECT_EQ(items::br().join('|'), "4800|2400/1200");
    EXPECT_EQ(items::da().join('|'), "OFF|ON");
    EXPECT_EQ(items::mbr().join('|'), "2400|1200");
    EXPECT_EQ(items::sql().size(), 9);
    EXPECT_EQ(items::sql().last(), "L9");
    EXPECT_EQ(items::tot().join('|'), "OFF| 30| 60| 90|120|150|180|240|300|600|900|1200");
    EXPECT_EQ(items::save().join('|'), "OFF|0.5|1.0|1.5|2.0|3.0|5.0|7.0|9.0");
    EXPECT_EQ(items::sleep(), QStringList{"OFF"});
}
