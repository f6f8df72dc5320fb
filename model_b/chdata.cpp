#include "model_b/chdata.h"

#include <cmath>
#include <cstring>

#include "core/bits.h"

namespace kvb {

using kvcore::bitIf;
using kvcore::isBitSet;
using kvcore::itemText;

namespace {

// A two-bit field takes the listed values as they are; anything else writes 00 rather than
// spilling into the neighbouring bits.
uint8_t twoBits(int32_t v, int32_t highest) {
    return (v >= 1 && v <= highest) ? static_cast<uint8_t>(v) : 0;
}

bool validRef(int32_t ref) {
    return ref >= 0 && ref <= 3;
}
constexpr int64_t kRxOffsetHz = 45100000;
static_assert(kRxOffsetHz == kRxOffset * 1000000);

// Steps in Hz and in the 10 Hz units of the code.
constexpr int32_t kStepHz[4] = {25000, 12500, 6250, 5000};
constexpr int32_t kStepUnits[4] = {2500, 1250, 625, 500};

// The largest step count whose code reads back unchanged: 11 bits of q, 6 bits of r.
constexpr int32_t kMaxSteps = 2047 * 64 + 63;

// f x factor rounded to an integer. The product is formed in extended precision and then
// stored as a double before rounding, which settles on which side of a half a value falls.
// Magnitudes no frequency reaches are kNoInt without forming the product at all.
int32_t scaledToInt(double f, long double factor) {
    if (!(std::fabs(f) < 1e12)) return kNoInt;
    return RoundToInt(static_cast<double>(static_cast<long double>(f) * factor));
}

// The step count a code stands for: only the low 3 bits of b0 and the high 7 bits of b2 count.
int64_t codeSteps(uint8_t b0, uint8_t b1, uint8_t b2) {
    return ((b0 & 7) * 256 + b1) * 64 + (b2 >> 1);
}

uint8_t bcd(int v) {
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}

const QStringList& powerCells() {
    static const QStringList list = {"HIGH", "MID ", "LOW "};
    return list;
}

QString refText(const char* path, int32_t ref) {
    static const QStringList steps = {"Ref:25KHz  ", "Ref:12.5KHz", "Ref:6.25KHz", "Ref:5KHz   "};
    return validRef(ref) ? QLatin1String(path) + steps[ref] : QString();
}

}  // namespace

FrqLimits limitsFor(bool production) {
    if (production) return {200.0, 299.0, 200.0, 299.0};
    return {223.0, 235.0, 223.0, 235.0};
}

TChData emptyChannel() {
    TChData ch;
    std::memset(&ch, 0, sizeof ch);
    ch.Used = 0;
    ch.RxFrq = 0.0;
    ch.TxFrq = 0.0;
    ch.Power = ch.BR = ch.RxRef = ch.TxRef = ch.DA = ch.MBR = -1;
    return ch;
}

TSetMode defaultSetMode() {
    TSetMode m{};
    m.Data = 0;
    m.Busy = 1;
    m.FSQC = 0;
    m.SB = 0;
    m.SP = 0;
    m.Tot = 0;
    m.Save = 0;
    return m;
}

void assignChannel(TChData& dst, const TChData& src) {
    dst.Used = src.Used;
    dst.RxFrq = src.RxFrq;
    dst.TxFrq = src.TxFrq;
    dst.Power = src.Power;
    dst.BR = src.BR;
    dst.RxRef = src.RxRef;
    dst.TxRef = src.TxRef;
    dst.DA = src.DA;
    dst.MBR = src.MBR;
}

void setDefaults(TSetData& data) {
    std::memset(&data, 0, sizeof data);
    const TChData empty = emptyChannel();
    for (TChData& ch : data.Ch) assignChannel(ch, empty);
    data.Mode = defaultSetMode();  // no gaps inside TSetMode
}

TSetData defaultSetData() {
    TSetData data;
    setDefaults(data);
    return data;
}

int32_t RoundToInt(double x) {
    if (!std::isfinite(x)) return kNoInt;
    const double r = std::round(x);  // halves away from zero
    if (r < -2147483647.0 || r > 2147483647.0) return kNoInt;
    return static_cast<int32_t>(r);
}

int32_t FrqToRef(double f) {
    // Whole Hz in 64 bits: a code can hold up to 3276.775 MHz, beyond the 2147 MHz that 32 bits
    // of Hz reach, and a frequency read from a modem must find its step to be written back.
    if (!(std::fabs(f) < 1e12)) return -1;
    const int64_t hz = std::llround(static_cast<double>(static_cast<long double>(f) * 1000000.0L));
    for (int32_t ref = 0; ref < 4; ++ref) {
        if (hz % kStepHz[ref] == 0) return ref;
    }
    return -1;
}

CodeStatus FrqToCode(double f, int32_t ref, Code3& code) {
    if (!validRef(ref)) return CodeStatus::BadIndex;
    const int32_t units = scaledToInt(f, 100000.0L);
    if (units == kNoInt || units < 0) return CodeStatus::NoCode;
    const int32_t n = units / kStepUnits[ref];
    if (n > kMaxSteps) return CodeStatus::NoCode;
    const int32_t r = n % 64;
    const int32_t v = 4 * n - 2 * r;  // = 256 q + 2 r
    code = {static_cast<uint8_t>((v >> 16) & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>(v & 0xFF)};
    return CodeStatus::Done;
}

double CodeToFrq(uint8_t b0, uint8_t b1, uint8_t b2, int32_t ref) {
    if (!validRef(ref)) return -1.0;
    // Formed in 64 bits: a code beyond 2147 MHz at 25 kHz would wrap a 32-bit product.
    return static_cast<double>(codeSteps(b0, b1, b2) * kStepHz[ref]) / 1000000.0;
}

CodeStatus RxFrqToCode(double rxFrq, int32_t ref, Code3& code) {
    return FrqToCode(rxFrq + kRxOffset, ref, code);
}

double CodeToRxFrq(const Code3& code, int32_t ref) {
    if (!validRef(ref)) return -1.0;
    // The offset comes off in whole Hz, before the one rounding of the division: subtracting
    // 45.1 from a rounded MHz value can land one bit beside the typed value, and a 6.25 kHz
    // frequency would then show its fourth decimal rounded the other way.
    const int64_t hz = codeSteps(code[0], code[1], code[2]) * kStepHz[ref] - kRxOffsetHz;
    return static_cast<double>(hz) / 1000000.0;
}

uint8_t encodeOption(const TChData& ch) {
    return static_cast<uint8_t>(bitIf(ch.DA == 1, 0) | bitIf(ch.MBR == 1, 1));
}

uint8_t encodeFlags(const TChData& ch) {
    return static_cast<uint8_t>(bitIf(ch.Used == 1, 7) | twoBits(ch.Power, 2) |
                                bitIf(ch.BR == 1, 2) | (twoBits(ch.RxRef, 3) << 3) |
                                (twoBits(ch.TxRef, 3) << 5));
}

uint8_t encodeSetMode(const TSetMode& m) {
    return static_cast<uint8_t>(bitIf(m.FSQC == 1, 0) | bitIf(m.Busy == 1, 1) |
                                bitIf(m.Data == 1, 2) | (twoBits(m.SB, 2) << 4) |
                                (twoBits(m.SP, 2) << 6));
}

TChData decodeChannel(const MemoryImage& image, int k) {
    TChData ch = emptyChannel();
    const uint8_t flags = image[mem::flags(k)];
    if (!isBitSet(flags, 7)) return ch;
    const uint8_t option = image[mem::option(k)];
    const auto codeAt = [&image](int pos) {
        return Code3{image[pos], image[pos + 1], image[pos + 2]};
    };
    ch.Used = 1;
    const int32_t power = flags & 0x03;
    ch.Power = power == 3 ? 0 : power;  // 11 is never written; it reads as HIGH, like 00
    ch.BR = isBitSet(flags, 2) ? 1 : 0;
    ch.RxRef = (flags >> 3) & 0x03;
    ch.TxRef = (flags >> 5) & 0x03;
    ch.DA = isBitSet(option, 0) ? 1 : 0;
    ch.MBR = isBitSet(option, 1) ? 1 : 0;
    ch.RxFrq = CodeToRxFrq(codeAt(mem::rxCode(k)), ch.RxRef);
    ch.TxFrq = CodeToFrq(codeAt(mem::txCode(k)), ch.TxRef);
    return ch;
}

TSetMode decodeSetMode(const MemoryImage& image) {
    const uint8_t b = image[mem::kSetMode];
    TSetMode m{};
    m.FSQC = isBitSet(b, 0) ? 1 : 0;
    m.Busy = isBitSet(b, 1) ? 1 : 0;
    m.Data = isBitSet(b, 2) ? 1 : 0;
    m.SB = (b >> 4) & 0x03;
    m.SP = (b >> 6) & 0x03;
    m.Tot = image[mem::kTot];
    m.Save = image[mem::kSave];
    return m;
}

std::array<uint8_t, 3> dateBytes(const QDate& date) {
    const int year = ((date.year() % 100) + 100) % 100;  // years before 0 stay two digits
    return {bcd(year), bcd(date.month()), bcd(date.day())};
}

MemoryImage encodeImage(const TSetData& table, const TSetMode& controls, const QDate& date) {
    MemoryImage image{};
    for (int k = 0; k < kChannels; ++k) {
        const TChData& ch = table.Ch[k];
        if (ch.Used == 1) {
            // A failed code leaves the three bytes 0, as they were.
            Code3 rx{}, tx{};
            RxFrqToCode(ch.RxFrq, ch.RxRef, rx);
            FrqToCode(ch.TxFrq, ch.TxRef, tx);
            std::memcpy(&image[mem::rxCode(k)], rx.data(), rx.size());
            std::memcpy(&image[mem::txCode(k)], tx.data(), tx.size());
        }
        image[mem::option(k)] = encodeOption(ch);
        image[mem::flags(k)] = encodeFlags(ch);
    }
    image[mem::kSetMode] = encodeSetMode(controls);
    image[mem::kTot] = static_cast<uint8_t>(controls.Tot & 0xFF);
    image[mem::kSave] = static_cast<uint8_t>(controls.Save & 0xFF);
    std::memcpy(&image[mem::kFixedBlock], mem::kFixedBytes.data(), mem::kFixedBytes.size());
    image[mem::kSpace] = mem::kSpaceByte;
    const std::array<uint8_t, 3> day = dateBytes(date);
    std::memcpy(&image[mem::kDate], day.data(), day.size());
    image[mem::kMark] = mem::kMark0;
    image[mem::kMark + 1] = mem::kMark1;
    return image;
}

bool hasFormatMark(const MemoryImage& image) {
    return image[mem::kMark] == mem::kMark0 && image[mem::kMark + 1] == mem::kMark1;
}

TSetMode decodeImage(const MemoryImage& image, TSetData& table) {
    for (int k = 0; k < kChannels; ++k) assignChannel(table.Ch[k], decodeChannel(image, k));
    return decodeSetMode(image);
}

namespace {

// The step a write counts a frequency in: the stored one when it codes the frequency exactly,
// so that a table read from a modem goes back as it came; else the coarsest step that
// divides it, as Set chooses (-1 for none). `offset` is what the code adds to the frequency.
int32_t writeStep(double f, int32_t stored, double offset) {
    const int32_t coarsest = FrqToRef(f);
    if (coarsest < 0 || !validRef(stored)) return coarsest;
    const int64_t hz = std::llround(static_cast<double>(static_cast<long double>(f) * 1000000.0L));
    Code3 code{};
    if (hz % kStepHz[stored] == 0 && FrqToCode(f + offset, stored, code) == CodeStatus::Done)
        return stored;
    return coarsest;
}

}  // namespace

bool lacksCode(const TChData& ch) {
    if (ch.Used != 1) return false;
    const int32_t rxRef = writeStep(ch.RxFrq, ch.RxRef, kRxOffset);
    const int32_t txRef = writeStep(ch.TxFrq, ch.TxRef, 0.0);
    Code3 code{};
    return rxRef < 0 || txRef < 0 || RxFrqToCode(ch.RxFrq, rxRef, code) != CodeStatus::Done ||
           FrqToCode(ch.TxFrq, txRef, code) != CodeStatus::Done;
}

TSetData withDerivedSteps(const TSetData& table) {
    TSetData out = table;
    for (TChData& ch : out.Ch) {
        if (ch.Used != 1) continue;
        ch.RxRef = writeStep(ch.RxFrq, ch.RxRef, kRxOffset);
        ch.TxRef = writeStep(ch.TxFrq, ch.TxRef, 0.0);
    }
    return out;
}

QString rxRefText(int32_t ref) {
    return refText("RX ", ref);
}
QString txRefText(int32_t ref) {
    return refText("TX ", ref);
}

std::array<QString, 6> gridTexts(const TChData& ch, GridWriter writer) {
    if (writer == GridWriter::Open) {
        const auto frq = [](double f) { return f == 0.0 ? QString() : frqText(f); };
        return {frq(ch.RxFrq),
                frq(ch.TxFrq),
                itemText(powerCells(), ch.Power),
                itemText(items::br(), ch.BR),
                itemText(items::da(), ch.DA),
                itemText(items::mbr(), ch.MBR)};
    }
    // Set and Receive write rows they have just filled, so every index is in its list; a
    // value other than 0 takes the second text.
    if (writer == GridWriter::Receive && ch.Used != 1) return {};
    const QString on = writer == GridWriter::Set ? QStringLiteral("ON ") : QStringLiteral(" ON");
    return {frqText(ch.RxFrq),
            frqText(ch.TxFrq),
            itemText(powerCells(), ch.Power),
            ch.BR == 0 ? QStringLiteral("4800") : QStringLiteral("2400/1200"),
            ch.DA == 0 ? QStringLiteral("OFF") : on,
            ch.MBR == 0 ? QStringLiteral("2400") : QStringLiteral("1200")};
}

QString gridHeading(int column) {
    static const QStringList headings = {"RX Frq.",   "TX Frq.", "TX Power",
                                         "       BR", "D/A",     "MBR"};
    return itemText(headings, column - 1);
}

namespace items {

const QStringList& power() {
    static const QStringList list = {"HIGH", "MID", "LOW"};
    return list;
}
const QStringList& data() {
    static const QStringList list = {R"("H" Data   "L" Audio)", R"("L"  Data  "H" Audio)"};
    return list;
}
const QStringList& busy() {
    static const QStringList list = {R"("L"  Busy)", R"("H" Busy)"};
    return list;
}
const QStringList& fsqc() {
    return da();  // the same "OFF", "ON"
}
const QStringList& sb() {
    static const QStringList list = {"4800bps", "2400bps", "1200bps"};
    return list;
}
const QStringList& sp() {
    static const QStringList list = {"EVEN", "ODD", "NONE"};
    return list;
}

}  // namespace items

}  // namespace kvb
