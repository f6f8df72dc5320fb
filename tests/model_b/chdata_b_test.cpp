// KV938R/935R/931R frequency codes, channel and set-mode bytes, the memory image, grid texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "model_b/chdata.h"
#include "platform/localefmt.h"
#include "testdir.h"

using namespace kvb;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TChData channel(double rx, double tx, int32_t power, int32_t br, int32_t da, int32_t mbr) {
    TChData ch = emptyChannel();
    ch.Used = 1;
    ch.RxFrq = rx;
    ch.TxFrq = tx;
    ch.Power = power;
    ch.BR = br;
    ch.DA = da;
    ch.MBR = mbr;
    ch.RxRef = FrqToRef(rx);
    ch.TxRef = FrqToRef(tx);
    return ch;
}

// Power, BR, RxRef, TxRef, DA, MBR.
std::array<int32_t, 6> indexes(const TChData& ch) {
    return {ch.Power, ch.BR, ch.RxRef, ch.TxRef, ch.DA, ch.MBR};
}

}  // namespace

// "%.0f" would round 2.5 to 2. -2147483648 is kept out so that the sentinel means only
// "no number".
TEST(RoundToInt, HalvesAwayFromZeroAndNoNumberGivesTheSentinel) {
    const struct {
        double x;
        int32_t expected;
    } cases[] = {{0.5, 1},
                 {-0.5, -1},
                 {2.5, 3},
                 {-2.5, -3},
                 {0.49999999999999994, 0},
                 {-0.4, 0},
                 {26811250.000000004, 26811250},
                 {2147483647.4, 2147483647},
                 {-2147483647.0, -2147483647},
                 {2147483647.5, kNoInt},
                 {-2147483647.5, kNoInt},
                 {-2147483648.0, kNoInt},
                 {1e300, kNoInt},
                 {kInf, kNoInt},
                 {-kInf, kNoInt},
                 {kNaN, kNoInt}};
    for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.x), c.expected) << c.x;
}

// 2200 MHz and more (up to the 3276.775 MHz a code holds) are beyond 32 bits of Hz.
TEST(FrqToRef, CoarsestStepThatDivides) {
    const struct {
        double f;
        int32_t ref;
    } cases[] = {{223.0, 0},      {223.0125, 1}, {223.00625, 2}, {223.005, 3},
                 {223.001, -1},   {0.0, 0},      {223.0375, 1},  {223.01875, 2},
                 {223.015, 3},    {-45.1, 0},    {2200.0, 0},    {3276.77, 3},
                 {2147.4837, -1}, {1e12, -1},    {kNaN, -1},     {kInf, -1}};
    for (const auto& c : cases) EXPECT_EQ(FrqToRef(c.f), c.ref) << c.f;
}

TEST(FrqCode, WorkedExamplesEdgesAndRefusals) {
    Code3 code{};
    ASSERT_EQ(RxFrqToCode(223.0125, 1, code), CodeStatus::Done);
    EXPECT_EQ(code, (Code3{0x01, 0x4F, 0x12}));
    EXPECT_EQ(CodeToRxFrq(code, 1), 223.0125);
    EXPECT_DOUBLE_EQ(CodeToFrq(code, 1), 268.1125);

    ASSERT_EQ(FrqToCode(230.0, 0, code), CodeStatus::Done);
    EXPECT_EQ(code, (Code3{0x00, 0x8F, 0x60}));
    EXPECT_EQ(CodeToFrq(code, 0), 230.0);

    // Only the low 3 bits of b0 and the high 7 bits of b2 count.
    EXPECT_EQ(CodeToFrq(0xF9, 0x4F, 0x13, 1), CodeToFrq(0x01, 0x4F, 0x12, 1));
    // The largest code at 25 kHz: a 32-bit product would wrap negative.
    EXPECT_EQ(CodeToFrq(0x07, 0xFF, 0xFE, 0), 3278.375);  // 131135 x 25 kHz
    // The last step count the code holds reads back unchanged.
    ASSERT_EQ(FrqToCode(655.355, 3, code), CodeStatus::Done);
    EXPECT_EQ(code, (Code3{0x07, 0xFF, 0x7E}));
    EXPECT_DOUBLE_EQ(CodeToFrq(code, 3), 655.355);

    // Refusals leave the bytes as they were.
    const Code3 before = {0xAA, 0xBB, 0xCC};
    const struct {
        double f;
        int32_t ref;
        CodeStatus status;
    } cases[] = {{230.0, -1, CodeStatus::BadIndex}, {230.0, 4, CodeStatus::BadIndex},
                 {-0.005, 3, CodeStatus::NoCode},   {655.36, 3, CodeStatus::NoCode},
                 {kNaN, 0, CodeStatus::NoCode},     {1e300, 0, CodeStatus::NoCode}};
    for (const auto& c : cases) {
        code = before;
        EXPECT_EQ(FrqToCode(c.f, c.ref, code), c.status) << c.f << " ref " << c.ref;
        EXPECT_EQ(code, before) << c.f;
    }
    EXPECT_EQ(CodeToFrq(0x01, 0x4F, 0x12, 4), -1.0);
    EXPECT_EQ(CodeToRxFrq({0x01, 0x4F, 0x12}, -1), -1.0);
}

// Every frequency on a 5 kHz or 6.25 kHz raster in both modes' ranges: the step Set derives,
// its codes, and what Receive reads back from them.
TEST(FrqCode, EveryRasterFrequencyOfBothModesSurvivesTheImage) {
    int failures = 0;
    const auto check = [&failures](int64_t hz) {
        const int32_t expected = hz % 25000 == 0 ? 0 : hz % 12500 == 0 ? 1 : hz % 6250 == 0 ? 2 : 3;
        const double f = static_cast<double>(hz) / 1e6;  // what parsing the decimal text gives
        TSetData table = defaultSetData();
        table.Ch[5] = channel(f, f, 0, 0, 0, 0);
        TSetData back = defaultSetData();
        decodeImage(encodeImage(table, defaultSetMode(), QDate(2024, 3, 5)), back);
        const TChData& ch = back.Ch[5];
        const bool ok = table.Ch[5].RxRef == expected && ch.RxRef == expected &&
                        ch.TxRef == expected && ch.RxFrq == f && ch.TxFrq == f &&
                        FrqToRef(ch.RxFrq) == expected && !lacksCode(table.Ch[5]) && !lacksCode(ch);
        if (!ok && ++failures < 5) ADD_FAILURE() << hz << " Hz";
    };
    for (bool production : {false, true}) {
        const FrqLimits l = limitsFor(production);
        const auto lo = static_cast<int64_t>(l.RxFrqMin * 1e6);
        const auto hi = static_cast<int64_t>(l.RxFrqMax * 1e6);
        ASSERT_EQ(l.RxFrqMin, l.TxFrqMin);
        ASSERT_EQ(l.RxFrqMax, l.TxFrqMax);
        for (int64_t hz = lo; hz <= hi; hz += 5000) check(hz);
        for (int64_t hz = lo; hz <= hi; hz += 6250) check(hz);
    }
    EXPECT_EQ(failures, 0);
}

TEST(ChannelBytes, FlagAndOptionBytesBothWays) {
    // Valid fields are in the whole image below; an index outside its list writes 00.
    TChData ch = channel(230.0, 230.0, 3, 2, -1, 2);
    ch.RxRef = 4;
    ch.TxRef = -1;
    EXPECT_EQ(encodeFlags(ch), 0x80);
    EXPECT_EQ(encodeOption(ch), 0x00);
    ch.Used = 2;  // only exactly 1 marks the channel as used
    EXPECT_EQ(encodeFlags(ch), 0x00);

    const struct {
        uint8_t flags, option;
        int32_t power, br, rxRef, txRef, da, mbr;
    } decode[] = {
        {0x80, 0x00, 0, 0, 0, 0, 0, 0}, {0x83, 0x00, 0, 0, 0, 0, 0, 0},  // power 11 is HIGH
        {0x81, 0xFD, 1, 0, 0, 0, 1, 0}, {0x82, 0x02, 2, 0, 0, 0, 0, 1},
        {0x84, 0xFF, 0, 1, 0, 0, 1, 1}, {0xF8, 0x00, 0, 0, 3, 3, 0, 0},
        {0xAD, 0x00, 1, 1, 1, 1, 0, 0},
    };
    for (const auto& c : decode) {
        MemoryImage image{};
        image[mem::flags(3)] = c.flags;
        image[mem::option(3)] = c.option;
        const TChData got = decodeChannel(image, 3);
        EXPECT_EQ(got.Used, 1);
        EXPECT_EQ(indexes(got), (std::array{c.power, c.br, c.rxRef, c.txRef, c.da, c.mbr}))
            << int(c.flags) << " " << int(c.option);
    }
}

TEST(ChannelBytes, UsedBitClearOrZeroCodes) {
    MemoryImage image{};
    image.fill(0x55);  // codes and option bits that must not leak into an empty channel
    image[mem::flags(0)] = 0x7F;
    const TChData empty = decodeChannel(image, 0);
    EXPECT_TRUE(empty.Used == 0 && empty.RxFrq == 0.0 && empty.TxFrq == 0.0);
    EXPECT_EQ(indexes(empty), (std::array{-1, -1, -1, -1, -1, -1}));

    image.fill(0);
    image[mem::flags(0)] = 0x80;
    const TChData zero = decodeChannel(image, 0);
    EXPECT_TRUE(zero.Used == 1 && zero.RxFrq == -45.1 && zero.TxFrq == 0.0);
    const std::array<QString, 6> cells = {"-45.1000", "0.0000", "HIGH", "4800", "OFF", "2400"};
    EXPECT_EQ(gridTexts(zero, GridWriter::Receive), cells);
}

TEST(SetModeByte, BitsBothWays) {
    const struct {
        TSetMode m;
        uint8_t byte;
    } cases[] = {{{0, 1, 0, 0, 0, 0, 0}, 0x02},
                 {{1, 0, 1, 2, 1, 0, 0}, 0x65},
                 {{0, 0, 0, 1, 2, 0, 0}, 0x90},
                 {{1, 1, 1, 3, 3, 0, 0}, 0x07},
                 {{2, -1, 5, -1, 7, 0, 0}, 0x00}};
    for (const auto& c : cases) EXPECT_EQ(encodeSetMode(c.m), c.byte) << int(c.byte);

    MemoryImage image{};
    image[mem::kSetMode] = 0xFF;
    image[mem::kTot] = 12;
    image[mem::kSave] = 200;
    const TSetMode all = decodeSetMode(image);
    EXPECT_EQ((std::array{all.Data, all.Busy, all.FSQC, all.SB, all.SP, all.Tot, all.Save}),
              (std::array{1, 1, 1, 3, 3, 12, 200}));
}

TEST(WholeImage, KnownTableByteForByte) {
    TSetData table = defaultSetData();
    table.Ch[0] = channel(223.0125, 230.0, 1, 1, 1, 0);
    table.Ch[15] = channel(235.0, 223.00625, 2, 0, 0, 1);
    table.Ch[7] = channel(229.0, 229.0, 2, 1, 1, 1);
    table.Ch[7].Used = 0;  // fields kept, codes not written
    table.Ch[7].RxRef = 1;
    table.Ch[7].TxRef = 3;
    table.Mode = {0, 0, 0, 0, 0, 5, 5};  // the block's copy is not what gets written
    const TSetMode controls = {1, 0, 1, 2, 1, 11, 8};
    // The 13 cleared channels: eight zero code bytes and zero option and flag bytes each.

    MemoryImage expected{};
    const auto put = [&expected](int at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) expected[at++] = b;
    };
    put(0, {0x01, 0x4F, 0x12});    // 268.1125 MHz at 12.5 kHz
    put(64, {0x00, 0x8F, 0x60});   // 230.0 MHz at 25 kHz
    put(60, {0x00, 0xAF, 0x08});   // 280.1 MHz at 25 kHz: N 11204 = 64 x 175 + 4
    put(124, {0x02, 0x2D, 0x42});  // 223.00625 MHz at 6.25 kHz: N 35681 = 64 x 557 + 33
    put(128, {0x01, 0x8D});
    put(142, {0x03, 0x6E});
    put(158, {0x02, 0xC2});
    put(161, {0x65, 11, 8});
    put(242, {0x5C, 0xA7, 0x31, 0xE8, 0x6D, 0x92, 0xB4, 0x1F, 0x20, 0x24, 0x03, 0x05, 0x07, 0x15});

    const MemoryImage image = encodeImage(table, controls, QDate(2024, 3, 5));
    for (int i = 0; i < mem::kSize; ++i) {
        EXPECT_EQ(image[i], expected[i]) << "byte " << i;
    }

    ASSERT_TRUE(hasFormatMark(image));
    TSetData back = defaultSetData();
    back.Ch[7] = channel(229.0, 229.0, 2, 1, 1, 1);  // decoding must empty it again
    const TSetMode mode = decodeImage(image, back);
    EXPECT_EQ(std::memcmp(&mode, &controls, sizeof mode), 0);
    for (int k = 0; k < kChannels; ++k) {
        const TChData expect = (k == 0 || k == 15) ? table.Ch[k] : emptyChannel();
        EXPECT_EQ(std::memcmp(&back.Ch[k], &expect, sizeof expect), 0) << "channel " << k;
    }
}

TEST(WholeImage, DateAndFormatMark) {
    const struct {
        QDate date;
        std::array<uint8_t, 3> bytes;
    } dates[] = {{QDate(2024, 3, 5), {0x24, 0x03, 0x05}},
                 {QDate(1999, 12, 31), {0x99, 0x12, 0x31}},
                 {QDate(2100, 1, 10), {0x00, 0x01, 0x10}}};
    for (const auto& d : dates)
        EXPECT_EQ(dateBytes(d.date), d.bytes) << d.date.toString().toStdString();

    const struct {
        uint8_t b254, b255;
        bool marked;
    } marks[] = {{0x07, 0x15, true}, {0x07, 0xFF, false}, {0xFF, 0x15, false}, {0, 0, false}};
    for (const auto& c : marks) {
        MemoryImage m{};
        m[254] = c.b254;
        m[255] = c.b255;
        EXPECT_EQ(hasFormatMark(m), c.marked) << int(c.b254) << " " << int(c.b255);
    }
}

TEST(Defaults, EveryByteSetWhateverTheBlockHeld) {
    TSetData data;
    std::memset(&data, 0xAA, sizeof data);
    setDefaults(data);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&data);
    for (int k = 0; k < kChannels; ++k) {
        for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[48 * k + i], 0) << k << ":" << i;
        const TChData& ch = data.Ch[k];
        EXPECT_TRUE(ch.RxFrq == 0.0 && ch.TxFrq == 0.0);
        EXPECT_EQ(indexes(ch), (std::array{-1, -1, -1, -1, -1, -1}));
    }
    const TSetMode expected = {0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&data.Mode, &expected, sizeof expected), 0);
    for (int i = 796; i < 800; ++i) EXPECT_EQ(bytes[i], 0) << i;

    // Writing a channel keeps the gap bytes a loaded file put there.
    std::memset(&data, 0xAA, sizeof data);
    assignChannel(data.Ch[2], channel(230.0, 230.0, 0, 0, 0, 0));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&data)[2 * 48 + 1], 0xAA);
    EXPECT_EQ(data.Ch[2].Used, 1);
}

// 745.105 MHz at 5 kHz is beyond the code; 3300 MHz beyond 32 bits of Hz.
TEST(TransmitCheck, StepsDerivedFromTheFrequency) {
    const struct {
        uint8_t used;
        double rx, tx;
        bool lacks;
    } cases[] = {{1, 223.0125, 230.0, false},  {1, 223.001, 230.0, true}, {1, 230.0, 223.001, true},
                 {0, 223.001, 223.001, false}, {2, 223.001, 0.0, false},  {1, -45.1, 0.0, false},
                 {1, 230.0, -0.005, true},     {1, 700.005, 230.0, true}, {1, 230.0, 3300.0, true},
                 {1, kNaN, 230.0, true}};
    for (const auto& c : cases) {
        TChData ch = channel(c.rx, c.tx, 0, 0, 0, 0);
        ch.Used = c.used;
        EXPECT_EQ(lacksCode(ch), c.lacks) << int(c.used) << " " << c.rx << " " << c.tx;
    }

    // A step a file brought (25 kHz for a 12.5 kHz frequency) would code another frequency.
    TSetData table = defaultSetData();
    table.Ch[0] = channel(223.0125, 230.0, 0, 0, 0, 0);
    table.Ch[0].RxRef = 0;
    table.Ch[0].TxRef = 7;
    table.Ch[1] = table.Ch[0];
    table.Ch[1].Used = 0;
    const TSetData derived = withDerivedSteps(table);
    EXPECT_TRUE(derived.Ch[0].RxRef == 1 && derived.Ch[0].TxRef == 0);
    EXPECT_TRUE(derived.Ch[1].RxRef == 0 && derived.Ch[1].TxRef == 7);  // unused: no codes
    const MemoryImage image = encodeImage(derived, defaultSetMode(), QDate(2024, 3, 5));
    EXPECT_EQ((std::array{image[0], image[1], image[2]}),
              (std::array<uint8_t, 3>{0x01, 0x4F, 0x12}));
}

// A write keeps a used channel's stored step where it codes the frequency exactly, and works
// the step out again where it is no step, does not divide the frequency, or is too fine for
// the code to hold (5 kHz steps end at 655.355 MHz).
TEST(TransmitCheck, StoredStepKeptWhereItCodesTheFrequency) {
    const struct {
        bool rx;
        double f;
        int32_t stored, written;
        Code3 code;
    } cases[] = {
        {true, 230.0, 1, 1, {0x01, 0x57, 0x70}},     // 275.1 MHz in 12.5 kHz steps
        {true, 230.0, 0, 0, {0x00, 0xAB, 0x78}},     // and in 25 kHz steps
        {true, 230.0, -1, 0, {0x00, 0xAB, 0x78}},    // no step at all
        {false, 230.0, 4, 0, {0x00, 0x8F, 0x60}},    // nor this
        {true, 223.0125, 0, 1, {0x01, 0x4F, 0x12}},  // 25 kHz does not divide it
        {true, 223.0125, 3, 1, {0x01, 0x4F, 0x12}},  // nor 5 kHz
        {false, 229.00625, 2, 2, {0x02, 0x3C, 0x42}},
        {false, 700.0, 3, 0, {0x01, 0xB5, 0x40}},  // 140000 steps of 5 kHz
        {true, 654.9, 3, 0, {0x01, 0xB5, 0x40}},   // the same with the receive offset
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f << " stored " << c.stored);
        TSetData table = defaultSetData();
        TChData& ch = table.Ch[2];
        ch = channel(c.rx ? c.f : 230.0, c.rx ? 230.0 : c.f, 0, 0, 0, 0);
        (c.rx ? ch.RxRef : ch.TxRef) = c.stored;
        EXPECT_FALSE(lacksCode(ch));
        const TChData written = withDerivedSteps(table).Ch[2];
        EXPECT_EQ(c.rx ? written.RxRef : written.TxRef, c.written);
        const MemoryImage image = encodeImage(withDerivedSteps(table), defaultSetMode(), {});
        const int at = c.rx ? 8 : 64 + 8;
        EXPECT_EQ((Code3{image[at], image[at + 1], image[at + 2]}), c.code);
        EXPECT_EQ((image[129 + 4] >> (c.rx ? 3 : 5)) & 3, c.written);
    }
}

TEST(GridTexts, EachWriter) {
    using Row = std::array<QString, 6>;
    const TChData full = channel(223.0125, 230.0, 1, 1, 1, 0);
    const TChData other = channel(235.0, 223.005, 2, 0, 0, 1);
    const TChData odd = channel(0.0, -2.5, 3, 2, -1, 5);  // only a file holds such indexes
    TChData unused = full;
    unused.Used = 0;
    const struct {
        const TChData& ch;
        GridWriter writer;
        Row cells;
    } cases[] = {
        {full, GridWriter::Set, {"223.0125", "230.0000", "MID ", "2400/1200", "ON ", "2400"}},
        {full, GridWriter::Receive, {"223.0125", "230.0000", "MID ", "2400/1200", " ON", "2400"}},
        {full, GridWriter::Open, {"223.0125", "230.0000", "MID ", "2400/1200", "ON", "2400"}},
        {other, GridWriter::Set, {"235.0000", "223.0050", "LOW ", "4800", "OFF", "1200"}},
        {unused, GridWriter::Receive, {}},
        {unused, GridWriter::Open, {"223.0125", "230.0000", "MID ", "2400/1200", "ON", "2400"}},
        {odd, GridWriter::Open, {"", "-2.5000", "", "", "", ""}},
        {odd, GridWriter::Receive, {"0.0000", "-2.5000", "", "2400/1200", " ON", "1200"}},
    };
    for (const auto& c : cases) EXPECT_EQ(gridTexts(c.ch, c.writer), c.cells) << int(c.writer);
    EXPECT_EQ(gridTexts(other, GridWriter::Open)[2], "LOW ");
}

TEST(GridTexts, DecimalComma) {
    platform::setDecimalSeparatorForTesting(QChar(','));
    const std::array<QString, 6> set =
        gridTexts(channel(223.0125, 230.0, 0, 0, 0, 0), GridWriter::Set);
    const QString negative = frqText(-45.1);
    platform::setDecimalSeparatorForTesting(QChar());
    EXPECT_TRUE(set[0] == "223,0125" && set[1] == "230,0000" && negative == "-45,1000");
}

// The texts whose blanks and quote marks are easy to get wrong.
TEST(Texts, PaddedAndQuotedLiterals) {
    const QStringList rx = {"RX Ref:25KHz  ", "RX Ref:12.5KHz", "RX Ref:6.25KHz", "RX Ref:5KHz   "};
    const QStringList tx = {"TX Ref:25KHz  ", "TX Ref:12.5KHz", "TX Ref:6.25KHz", "TX Ref:5KHz   "};
    for (int ref = 0; ref < 4; ++ref) {
        EXPECT_EQ(rxRefText(ref), rx[ref]);
        EXPECT_EQ(txRefText(ref), tx[ref]);
        EXPECT_EQ(rxRefText(ref).size(), 14);
    }
    EXPECT_TRUE(rxRefText(-1).isEmpty() && txRefText(4).isEmpty());

    EXPECT_EQ(items::data(), (QStringList{"\"H\" Data   \"L\" Audio", "\"L\"  Data  \"H\" Audio"}));
    EXPECT_EQ(items::busy(), (QStringList{"\"L\"  Busy", "\"H\" Busy"}));
    EXPECT_EQ(gridHeading(4), "       BR");
}
