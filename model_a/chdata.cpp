#include "model_a/chdata.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "core/bits.h"

namespace kva {

using kvcore::bitIf;
using kvcore::isBitSet;
using kvcore::itemText;

namespace {

// Code stored in the modem for an item index: index + 1, or 0 when the index is outside the list.
uint8_t codeOf(int32_t index, int32_t count) {
    return (index >= 0 && index < count) ? static_cast<uint8_t>(index + 1) : 0;
}

// The reverse; codes the encoder never writes (0 and above the list) give "not set", which
// shows as an empty cell and an unselected box and writes back as code 0.
int32_t indexOf(uint8_t code, int32_t count) {
    return (code >= 1 && code <= count) ? code - 1 : -1;
}

uint8_t bcdPair(char high, char low) {
    return static_cast<uint8_t>(((high & 0x0F) << 4) | (low & 0x0F));
}

// Nearest whole kHz, an exact half going away from zero. nullopt when there is no such
// non-negative 64-bit number (NaN, negative, infinite, 2^64 kHz or more).
std::optional<uint64_t> wholeKhz(double khz) {
    constexpr double kTwoPow64 = 18446744073709551616.0;
    if (!(khz >= 0.0) || !(khz < kTwoPow64)) return std::nullopt;
    // std::round rounds halves away from zero; below 2^64 the result still fits.
    return static_cast<uint64_t>(std::round(khz));
}

// f in MHz as the whole kHz the modem stores.
std::optional<uint64_t> wholeKhzOf(double f) {
    // The product is formed in extended precision and then stored as a double, which
    // decides on which side of a half some values fall (229.5125 gives 229512.5).
    return wholeKhz(static_cast<double>(static_cast<long double>(f) * 1000.0L));
}

}  // namespace

FrqLimits limitsFor(bool production) {
    if (production) return {200.0, 250.0, 200.0, 250.0};
    return {223.0, 235.0, 223.0, 235.0};
}

TChData emptyChannel() {
    TChData ch;
    std::memset(&ch, 0, sizeof ch);
    ch.Used = 0;
    ch.RxFrq = 0.0;
    ch.TxFrq = 0.0;
    ch.Power = ch.BR = ch.DA = ch.MBR = ch.SQL = -1;
    return ch;
}

void assignChannel(TChData& dst, const TChData& src) {
    dst.Used = src.Used;
    dst.RxFrq = src.RxFrq;
    dst.TxFrq = src.TxFrq;
    dst.Power = src.Power;
    dst.BR = src.BR;
    dst.DA = src.DA;
    dst.MBR = src.MBR;
    dst.SQL = src.SQL;
}

TSetMode defaultSetMode() {
    TSetMode m{};
    m.Data = 0;
    m.Busy = 0;
    m.FSQC = 0;
    m.EXT = 0;
    m.VCO = 0;
    m.SB = 3;
    m.SP = 2;
    m.ST = 0;
    m.SD = 1;
    m.RMT = 0;
    m.Tot = 0;
    m.Save = 0;
    m.SL = 0;
    return m;
}

TSetData defaultSetData() {
    TSetData data;
    // Zero first so the padding inside each record is 0 in saved files too; the fields are
    // then set one by one, since a whole-struct copy need not carry the zeroed padding.
    std::memset(&data, 0, sizeof data);
    for (TChData& ch : data.Ch) {
        ch.Used = 0;
        ch.RxFrq = 0.0;
        ch.TxFrq = 0.0;
        ch.Power = ch.BR = ch.DA = ch.MBR = ch.SQL = -1;
    }
    data.Mode = defaultSetMode();
    return data;
}

// Anything that is no whole-kHz value of 0 or more that fits 64 bits (NaN, negative,
// infinite, absurdly large; only a damaged file or modem gives these) encodes as 00 00 00,
// the "no frequency" value. Fewer than six digits are padded with leading zeros, so that
// 45.1 MHz reads back as 45.1; more than six: the first six digits are taken.
Bcd3 FrqToBcd(double f) {
    const std::optional<uint64_t> whole = wholeKhzOf(f);
    if (!whole) return {0, 0, 0};

    char digits[24];
    // 2^64 - 1 has 20 digits, so the conversion always fits.
    const char* end = std::to_chars(digits, digits + sizeof digits, *whole).ptr;
    const auto count = static_cast<std::size_t>(end - digits);
    char six[6];
    if (count >= 6) {
        std::memcpy(six, digits, 6);
    } else {
        std::memset(six, '0', 6 - count);
        std::memcpy(six + (6 - count), digits, count);
    }
    return {bcdPair(six[0], six[1]), bcdPair(six[2], six[3]), bcdPair(six[4], six[5])};
}

bool frequencyFitsBcd(double f) {
    const std::optional<uint64_t> whole = wholeKhzOf(f);
    return whole && *whole <= 999999;
}

double BcdToFrq(uint8_t b0, uint8_t b1, uint8_t b2) {
    const auto hi = [](uint8_t x) { return static_cast<double>(x >> 4); };
    const auto lo = [](uint8_t x) { return static_cast<double>(x & 0x0F); };
    // Summed in this order, left to right: the order fixes the last bit of the result.
    double f = hi(b0) * 100.0;
    f += lo(b0) * 10.0;
    f += hi(b1);
    f += lo(b1) * 0.1;
    f += hi(b2) * 0.01;
    f += lo(b2) * 0.001;
    return f;
}

ChannelBytes encodeChannel(const TChData& ch) {
    ChannelBytes out{};
    if (ch.Used == 0) return out;
    const Bcd3 rx = FrqToBcd(ch.RxFrq);
    const Bcd3 tx = FrqToBcd(ch.TxFrq);
    out[0] = rx[0];
    out[1] = rx[1];
    out[2] = rx[2];
    out[3] = codeOf(ch.SQL, 9);
    out[4] = tx[0];
    out[5] = tx[1];
    out[6] = tx[2];
    out[7] = static_cast<uint8_t>(0x80 | bitIf(ch.DA == 1, 6) | bitIf(ch.BR == 1, 5) |
                                  bitIf(ch.MBR == 1, 4) | codeOf(ch.Power, 5));
    return out;
}

TChData decodeChannel(const uint8_t* record) {
    TChData ch = emptyChannel();
    const uint8_t flags = record[7];
    if (!isBitSet(flags, 7)) return ch;
    ch.Used = 1;
    ch.Power = indexOf(flags & 0x0F, 5);
    ch.BR = isBitSet(flags, 5) ? 1 : 0;
    ch.DA = isBitSet(flags, 6) ? 1 : 0;
    ch.MBR = isBitSet(flags, 4) ? 1 : 0;
    ch.SQL = indexOf(record[3] & 0x0F, 9);  // the upper four bits are not ours
    ch.RxFrq = BcdToFrq(record[0], record[1], record[2]);
    ch.TxFrq = BcdToFrq(record[4], record[5], record[6]);
    return ch;
}

uint8_t encodeByteA(const TSetMode& m) {
    // Two-bit fields: an index that does not fit writes 0 rather than spilling into other bits.
    const auto twoBits = [](int32_t v) { return (v >= 0 && v <= 3) ? static_cast<uint8_t>(v) : 0; };
    return static_cast<uint8_t>(bitIf(m.Data == 1, 0) | bitIf(m.Busy == 1, 1) |
                                bitIf(m.FSQC == 1, 2) | bitIf(m.EXT == 1, 3) |
                                (twoBits(m.SB) << 4) | (twoBits(m.SP) << 6));
}

uint8_t encodeByteB(const TSetMode& m) {
    const uint8_t vco = (m.VCO == 0) ? 0x04 : 0x0C;  // bits 3..2: 01 = Tx off, 11 = Tx on
    return static_cast<uint8_t>(bitIf(m.SD == 1, 0) | bitIf(m.ST == 1, 1) | vco |
                                bitIf(m.RMT == 1, 4));
}

TSetMode decodeSetMode(const MemoryImage& image) {
    const uint8_t a = image[addr::ByteA];
    const uint8_t b = image[addr::ByteB];
    TSetMode m{};
    m.Data = isBitSet(a, 0) ? 1 : 0;
    m.Busy = isBitSet(a, 1) ? 1 : 0;
    m.FSQC = isBitSet(a, 2) ? 1 : 0;
    m.EXT = isBitSet(a, 3) ? 1 : 0;
    m.SB = (a >> 4) & 0x03;
    m.SP = (a >> 6) & 0x03;  // 3 is possible; the radio group shows it as its last item
    m.SD = isBitSet(b, 0) ? 1 : 0;
    m.ST = isBitSet(b, 1) ? 1 : 0;
    m.VCO = (((b >> 2) & 0x03) == 0x01) ? 0 : 1;
    m.RMT = isBitSet(b, 4) ? 1 : 0;
    m.Tot = image[addr::Tot];
    m.Save = image[addr::Save];
    m.SL = 0;
    return m;
}

MemoryImage buildWriteImage(const TSetData& table, const TSetMode& controls) {
    MemoryImage image{};
    for (int k = 0; k < kChannels; ++k) {
        const ChannelBytes record = encodeChannel(table.Ch[k]);
        std::memcpy(image.data() + recordAddress(k + 1), record.data(), record.size());
    }
    image[addr::CurrentChannel] = 0;
    image[addr::CurrentChannel + 1] = 0;
    image[addr::Zero] = 0;
    image[addr::Sleep] = static_cast<uint8_t>(controls.SL & 0xFF);
    image[addr::Tot] = static_cast<uint8_t>(controls.Tot & 0xFF);
    image[addr::Save] = static_cast<uint8_t>(controls.Save & 0xFF);
    image[addr::ByteB] = encodeByteB(controls);
    image[addr::ByteA] = encodeByteA(controls);
    image[addr::Marker] = kMarker0;
    image[addr::Marker + 1] = kMarker1;
    return image;
}

std::array<QString, 7> gridTexts(const TChData& ch, GridWriter writer) {
    // A read shows an empty channel as empty cells; file open shows whatever the block
    // holds, Used or not, but leaves a frequency of 0 blank.
    if (writer == GridWriter::Read && ch.Used == 0) return {};
    static const QStringList power = {"    L1", "    L2", "    L3", "    L4", "    L5"};
    static const QStringList br = {"     4800", "2400/1200"};
    static const QStringList mbr = {"2400", "1200"};
    static const QStringList sql = {"    L1", "    L2", "    L3", "    L4", "    L5",
                                    "    L6", "    L7", "    L8", "    L9"};
    const QString on = writer == GridWriter::Set    ? QStringLiteral(" ON ")
                       : writer == GridWriter::Read ? QStringLiteral(" ON")
                                                    : QStringLiteral("ON");
    const QStringList da = {QStringLiteral("OFF"), on};
    const bool blankZero = writer == GridWriter::FileOpen;
    const auto frq = [&](double f) {
        return (blankZero && f == 0.0) ? QString() : kvcore::frqText(f);
    };
    return {frq(ch.RxFrq),        frq(ch.TxFrq),       itemText(power, ch.Power),
            itemText(br, ch.BR),  itemText(da, ch.DA), itemText(mbr, ch.MBR),
            itemText(sql, ch.SQL)};
}

QString gridHeading(int column) {
    static const QStringList headings = {"RX Frq.", "TX Frq.", "TX Power", "       BR",
                                         "D/A",     "MBR",     "   SQL"};
    return itemText(headings, column - 1);
}

namespace items {

const QStringList& power() {
    static const QStringList list = {"L1", "L2", "L3", "L4", "L5"};
    return list;
}
const QStringList& sql() {
    static const QStringList list = {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};
    return list;
}
const QStringList& sleep() {
    static const QStringList list = {"OFF"};
    return list;
}
const QStringList& data() {
    // The double quotes belong to the item texts.
    static const QStringList list = {R"("H" Data   "L" Audio)", R"("L"  Data  "H" Audio)"};
    return list;
}
const QStringList& busy() {
    static const QStringList list = {"L:Busy", "H:Busy"};
    return list;
}
const QStringList& ext() {
    static const QStringList list = {"L:Open", "H:Open"};
    return list;
}
const QStringList& vco() {
    static const QStringList list = {"Tx off", "Tx on"};
    return list;
}
const QStringList& sb() {
    static const QStringList list = {"1200bps", "2400bps", "4800bps", "9600bps"};
    return list;
}
const QStringList& sp() {
    static const QStringList list = {"NONE", "ODD", "EVEN"};
    return list;
}
const QStringList& st() {
    static const QStringList list = {"1 bit", "2 bit"};
    return list;
}
const QStringList& sd() {
    static const QStringList list = {"7 bit", "8 bit"};
    return list;
}
const QStringList& rmt() {
    static const QStringList list = {"Disable", "Enable"};
    return list;
}

}  // namespace items

}  // namespace kva
