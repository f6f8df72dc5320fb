// Decoded memory images: every value within what the table and the controls can hold, every
// grid text one of its column's texts, and a table decoded from a memory written again the
// way Transmit writes it.
#include <QDate>
#include <array>
#include <cmath>

#include "fuzz/checkutil.h"
#include "model_a/chdata.h"
#include "model_b/chdata.h"

namespace kvfuzz {

namespace {

// A set-mode control: its decoded index, how many items it has, the largest index the
// memory bits can give, and whether it is a radio group (else a drop-down list).
struct Control {
    const char* name;
    int32_t decoded;
    int items;
    int largest;
    bool radio;
};

// Checks the decoded indexes and returns what the controls show for them, in order.
template <std::size_t N>
std::array<int32_t, N> shownIndexes(const std::array<Control, N>& controls) {
    std::array<int32_t, N> shown{};
    for (std::size_t i = 0; i < N; ++i) {
        const Control& c = controls[i];
        KV_REQUIRE(c.decoded >= 0 && c.decoded <= c.largest,
                   std::string(c.name) + " decoded as " + std::to_string(c.decoded));
        shown[i] = c.radio ? radioShows(c.decoded, c.items) : comboShows(c.decoded, c.items);
        KV_REQUIRE(shown[i] >= -1 && shown[i] < c.items, std::string(c.name) + " shows no item");
    }
    return shown;
}

bool allSelected(std::span<const int32_t> shown) {
    return std::all_of(shown.begin(), shown.end(), [](int32_t i) { return i >= 0; });
}

bool validBcd(const uint8_t* b) {
    return std::all_of(b, b + 3, [](uint8_t x) { return (x >> 4) <= 9 && (x & 0x0F) <= 9; });
}

// ---- KV417R --------------------------------------------------------------------------------

bool sameChannel(const kva::TChData& a, const kva::TChData& b) {
    return a.Used == b.Used && a.RxFrq == b.RxFrq && a.TxFrq == b.TxFrq && a.Power == b.Power &&
           a.BR == b.BR && a.DA == b.DA && a.MBR == b.MBR && a.SQL == b.SQL;
}

// The largest frequency 3 BCD bytes can give when every nibble is F: 1666.665 MHz.
constexpr double kMostBcdMhz = 1666.666;

void checkGridA(int channel, const kva::TChData& ch) {
    const QStringList power = {"    L1", "    L2", "    L3", "    L4", "    L5"};
    const QStringList br = {"     4800", "2400/1200"};
    const QStringList mbr = {"2400", "1200"};
    const QStringList sql = {"    L1", "    L2", "    L3", "    L4", "    L5",
                             "    L6", "    L7", "    L8", "    L9"};
    const struct {
        kva::GridWriter writer;
        const char* on;
    } writers[] = {{kva::GridWriter::Set, " ON "},
                   {kva::GridWriter::Read, " ON"},
                   {kva::GridWriter::FileOpen, "ON"}};
    for (const auto& w : writers) {
        const auto texts = kva::gridTexts(ch, w.writer);
        if (w.writer == kva::GridWriter::Read && ch.Used == 0) {
            for (int c = 0; c < 7; ++c)
                KV_REQUIRE(texts[c].isEmpty(), cell(channel, c + 1, texts[c]) + " of an empty row");
            continue;
        }
        for (int c = 0; c < 2; ++c)
            KV_REQUIRE((texts[c].isEmpty() && w.writer == kva::GridWriter::FileOpen) ||
                           isFrequencyText(texts[c], 9),
                       cell(channel, c + 1, texts[c]));
        const QStringList* lists[] = {&power, &br, nullptr, &mbr, &sql};
        const int32_t indexes[] = {ch.Power, ch.BR, ch.DA, ch.MBR, ch.SQL};
        const QStringList da = {"OFF", w.on};
        for (int c = 0; c < 5; ++c) {
            const QStringList& list = lists[c] ? *lists[c] : da;
            const QString& text = texts[c + 2];
            KV_REQUIRE(emptyOrOneOf(text, list), cell(channel, c + 3, text));
            KV_REQUIRE(text.isEmpty() == (indexes[c] < 0 || indexes[c] >= list.size()),
                       cell(channel, c + 3, text) + " for index " + std::to_string(indexes[c]));
        }
    }
}

void checkChannelA(int channel, const uint8_t* record, const kva::TChData& ch) {
    const std::string at = "CH" + std::to_string(channel) + ": ";
    if (!(record[7] & 0x80)) {
        KV_REQUIRE(sameChannel(ch, kva::emptyChannel()),
                   at + "unused record not the empty channel");
    } else {
        KV_REQUIRE(ch.Used == 1, at + "used record not Used");
        KV_REQUIRE(ch.Power >= -1 && ch.Power <= 4 && ch.SQL >= -1 && ch.SQL <= 8,
                   at + "power or squelch index outside its list");
        for (const int32_t bit : {ch.BR, ch.DA, ch.MBR})
            KV_REQUIRE(bit == 0 || bit == 1, at + "one-bit field neither 0 nor 1");
        for (const double f : {ch.RxFrq, ch.TxFrq})
            KV_REQUIRE(f >= 0 && f <= kMostBcdMhz, at + "frequency " + std::to_string(f));
    }
    checkGridA(channel, ch);
}

// The record Transmit writes for a decoded channel. Frequencies with ten-valued digits come
// back as they were; codes the encoder never writes come back as "not set" (code 0).
void checkRecordAgainA(int channel, const uint8_t* record, const uint8_t* again,
                       const kva::TChData& ch) {
    const std::string at = "CH" + std::to_string(channel) + " written again: ";
    if (ch.Used == 0) {
        KV_REQUIRE(std::all_of(again, again + 8, [](uint8_t b) { return b == 0; }),
                   at + "unused channel not eight zero bytes");
        return;
    }
    if (!validBcd(record) || !validBcd(record + 4)) return;
    KV_REQUIRE(sameChannel(kva::decodeChannel(again), ch), at + "decodes to another channel");
    KV_REQUIRE(
        std::equal(record, record + 3, again) && std::equal(record + 4, record + 7, again + 4),
        at + "frequency bytes differ");
    const int power = record[7] & 0x0F;
    const int sql = record[3] & 0x0F;
    KV_REQUIRE(again[7] == ((record[7] & 0xF0) | (power >= 1 && power <= 5 ? power : 0)),
               at + "flag byte differs");
    KV_REQUIRE(again[3] == (sql >= 1 && sql <= 9 ? sql : 0), at + "squelch byte differs");
}

}  // namespace

void checkImageA(Bytes input) {
    const kvcore::MemoryImage image = imageFrom(input);
    kva::TSetData table = kva::defaultSetData();
    for (int k = 0; k < 16; ++k) {
        table.Ch[k] = kva::decodeChannel(&image[8 * k]);
        checkChannelA(k + 1, &image[8 * k], table.Ch[k]);
    }

    const kva::TSetMode m = kva::decodeSetMode(image);
    KV_REQUIRE(m.Tot == image[0xDC] && m.Save == image[0xDD], "Tot or Save not as stored");
    const auto shown = shownIndexes<13>({{{"Data", m.Data, 2, 1, true},
                                          {"Busy", m.Busy, 2, 1, true},
                                          {"FSQC", m.FSQC, 2, 1, true},
                                          {"EXT", m.EXT, 2, 1, true},
                                          {"VCO", m.VCO, 2, 1, true},
                                          {"SB", m.SB, 4, 3, true},
                                          {"SP", m.SP, 3, 3, true},
                                          {"ST", m.ST, 2, 1, true},
                                          {"SD", m.SD, 2, 1, true},
                                          {"RMT", m.RMT, 2, 1, true},
                                          {"Tot", m.Tot, 12, 255, false},
                                          {"Save", m.Save, 9, 255, false},
                                          {"SL", m.SL, 1, 0, false}}});
    const kva::TSetMode controls = {shown[0],  shown[1],  shown[2], shown[3], shown[4],
                                    shown[5],  shown[6],  shown[7], shown[8], shown[9],
                                    shown[10], shown[11], shown[12]};

    // Transmit right after this Receive: what it would write, when the controls let it.
    const kvcore::MemoryImage again = kva::buildWriteImage(table, controls);
    for (int k = 0; k < 16; ++k)
        checkRecordAgainA(k + 1, &image[8 * k], &again[8 * k], table.Ch[k]);
    KV_REQUIRE(again[0xC0] == 0 && again[0xC1] == 0 && again[0xDA] == 0 && again[0xDB] == 0,
               "current channel, zero or sleep byte not 0");
    KV_REQUIRE(again[0xFE] == 0xE3 && again[0xFF] == 0x5A, "marker not written");
    if (!allSelected(shown)) return;  // the write would stop at its setting check
    const uint8_t sp = static_cast<uint8_t>(std::min(m.SP, 2));
    const uint8_t vco = ((image[0xDE] >> 2) & 0x03) == 0x01 ? 0x04 : 0x0C;
    KV_REQUIRE(again[0xDF] == ((image[0xDF] & 0x3F) | sp << 6), "set-mode byte A differs");
    KV_REQUIRE(again[0xDE] == ((image[0xDE] & 0x13) | vco), "set-mode byte B differs");
    KV_REQUIRE(again[0xDC] == image[0xDC] && again[0xDD] == image[0xDD], "Tot or Save differs");
}

// ---- KV938R/935R/931R ------------------------------------------------------------------------

namespace {

bool sameChannelB(const kvb::TChData& a, const kvb::TChData& b, bool withSteps) {
    return a.Used == b.Used && a.RxFrq == b.RxFrq && a.TxFrq == b.TxFrq && a.Power == b.Power &&
           a.BR == b.BR && a.DA == b.DA && a.MBR == b.MBR &&
           (!withSteps || (a.RxRef == b.RxRef && a.TxRef == b.TxRef));
}

// The largest step count a code read can give (2047 x 64 + 127) at the largest step, 25 kHz.
constexpr double kMostCodeMhz = 131135 * 0.025;

void checkGridB(int channel, const kvb::TChData& ch) {
    const QStringList power = {"HIGH", "MID ", "LOW "};
    const QStringList br = {"4800", "2400/1200"};
    const QStringList mbr = {"2400", "1200"};
    const struct {
        kvb::GridWriter writer;
        const char* on;
    } writers[] = {{kvb::GridWriter::Set, "ON "},
                   {kvb::GridWriter::Receive, " ON"},
                   {kvb::GridWriter::Open, "ON"}};
    for (const auto& w : writers) {
        if (w.writer == kvb::GridWriter::Set && ch.Used != 1) continue;  // Set fills rows it set
        const auto texts = kvb::gridTexts(ch, w.writer);
        if (w.writer == kvb::GridWriter::Receive && ch.Used != 1) {
            for (int c = 0; c < 6; ++c)
                KV_REQUIRE(texts[c].isEmpty(), cell(channel, c + 1, texts[c]) + " of an empty row");
            continue;
        }
        for (int c = 0; c < 2; ++c)
            KV_REQUIRE((texts[c].isEmpty() && w.writer == kvb::GridWriter::Open) ||
                           isFrequencyText(texts[c], 9),
                       cell(channel, c + 1, texts[c]));
        const QStringList da = {"OFF", w.on};
        const QStringList* lists[] = {&power, &br, &da, &mbr};
        for (int c = 0; c < 4; ++c)
            KV_REQUIRE(emptyOrOneOf(texts[c + 2], *lists[c]), cell(channel, c + 3, texts[c + 2]));
    }
}

// True when the frequency of a code, counted in its coarsest step as Transmit counts it, needs
// no more steps than a written code holds (2047 x 64 + 63). A code read may count more: the top
// bit of its last byte is never set in a written one.
bool encodable(const uint8_t* code, int ref) {
    constexpr int64_t kStepHz[] = {25000, 12500, 6250, 5000};
    const int64_t hz = (((code[0] & 7) * 256 + code[1]) * 64 + (code[2] >> 1)) * kStepHz[ref];
    for (const int64_t step : kStepHz)
        if (hz % step == 0) return hz / step <= 2047 * 64 + 63;
    return false;
}
bool encodable(const kvcore::MemoryImage& image, int k) {
    const uint8_t flags = image[129 + 2 * k];
    return encodable(&image[4 * k], (flags >> 3) & 3) &&
           encodable(&image[64 + 4 * k], flags >> 5 & 3);
}

void checkChannelB(int channel, const kvcore::MemoryImage& image, const kvb::TChData& ch) {
    const std::string at = "CH" + std::to_string(channel) + ": ";
    const int k = channel - 1;
    if (!(image[129 + 2 * k] & 0x80)) {
        KV_REQUIRE(sameChannelB(ch, kvb::emptyChannel(), true),
                   at + "unused channel not the empty channel");
    } else {
        KV_REQUIRE(ch.Used == 1, at + "used channel not Used");
        KV_REQUIRE(ch.Power >= 0 && ch.Power <= 2, at + "power outside its list");
        KV_REQUIRE(ch.RxRef >= 0 && ch.RxRef <= 3 && ch.TxRef >= 0 && ch.TxRef <= 3,
                   at + "reference step outside 0..3");
        for (const int32_t bit : {ch.BR, ch.DA, ch.MBR})
            KV_REQUIRE(bit == 0 || bit == 1, at + "one-bit field neither 0 nor 1");
        KV_REQUIRE(ch.RxFrq >= -kvb::kRxOffset && ch.RxFrq <= kMostCodeMhz - kvb::kRxOffset,
                   at + "receive frequency " + std::to_string(ch.RxFrq));
        KV_REQUIRE(ch.TxFrq >= 0 && ch.TxFrq <= kMostCodeMhz,
                   at + "transmit frequency " + std::to_string(ch.TxFrq));
        // Every decoded frequency lies on a step, so a write can code it again, unless a code
        // read counts more steps than a written one can hold (its last byte's top bit set).
        KV_REQUIRE(kvb::lacksCode(ch) == !encodable(image, k),
                   at + (encodable(image, k) ? "decoded channel has no code"
                                             : "channel beyond any code not marked as such"));
    }
    checkGridB(channel, ch);
}

// A code whose unused bits are 0, as the encoder writes it.
bool canonicalCode(const uint8_t* code) {
    return code[0] < 8 && code[2] < 128 && (code[2] & 1) == 0;
}

// The step Transmit counts a code's frequency in again: the one it was read with while a
// written code holds that many steps, else the coarsest step that divides the frequency.
int writtenStep(const uint8_t* code, int ref) {
    constexpr int64_t kStepHz[] = {25000, 12500, 6250, 5000};
    const int64_t steps = ((code[0] & 7) * 256 + code[1]) * 64 + (code[2] >> 1);
    if (steps <= 2047 * 64 + 63) return ref;
    for (int coarsest = 0; coarsest < 4; ++coarsest)
        if (steps * kStepHz[ref] % kStepHz[coarsest] == 0) return coarsest;
    return -1;
}

// `back` is the channel decoded from `again`, what Transmit writes; `direct` the image
// written with the steps the channel was read with.
void checkChannelAgainB(int k, const kvcore::MemoryImage& image, const kvcore::MemoryImage& again,
                        const kvcore::MemoryImage& direct, const kvb::TChData& ch,
                        const kvb::TChData& back) {
    const std::string at = "CH" + std::to_string(k + 1) + " written again: ";
    if (ch.Used == 1 && !encodable(image, k)) return;  // Transmit refuses it
    KV_REQUIRE(sameChannelB(back, ch, false), at + "decodes to another channel");
    if (ch.Used != 1) return;
    KV_REQUIRE(back.RxRef == writtenStep(&image[4 * k], ch.RxRef) &&
                   back.TxRef == writtenStep(&image[64 + 4 * k], ch.TxRef),
               at + "steps neither those read nor the coarsest that divide the frequencies");
    // Canonical codes come back byte for byte: their steps are the ones they were read with.
    for (const int code : {4 * k, 64 + 4 * k}) {
        if (!canonicalCode(&image[code])) continue;
        KV_REQUIRE(std::equal(&image[code], &image[code] + 3, &again[code]),
                   at + "code at " + std::to_string(code) + " differs");
    }
    const uint8_t flags = image[129 + 2 * k];
    const uint8_t power = (flags & 0x03) == 0x03 ? 0 : flags & 0x03;
    KV_REQUIRE(direct[129 + 2 * k] == ((flags & 0xFC) | power), at + "flag byte differs");
    KV_REQUIRE(direct[128 + 2 * k] == (image[128 + 2 * k] & 0x03), at + "option byte differs");
}

}  // namespace

void checkImageB(Bytes input) {
    const kvcore::MemoryImage image = imageFrom(input);
    kvb::TSetData table = kvb::defaultSetData();
    const kvb::TSetMode m = kvb::decodeImage(image, table);
    for (int k = 0; k < 16; ++k) checkChannelB(k + 1, image, table.Ch[k]);

    KV_REQUIRE(m.Tot == image[162] && m.Save == image[163], "Tot or Save not as stored");
    const auto shown = shownIndexes<7>({{{"Data", m.Data, 2, 1, true},
                                         {"Busy", m.Busy, 2, 1, true},
                                         {"FSQC", m.FSQC, 2, 1, true},
                                         {"SB", m.SB, 3, 3, true},
                                         {"SP", m.SP, 3, 3, true},
                                         {"Tot", m.Tot, 12, 255, false},
                                         {"Save", m.Save, 9, 255, false}}});
    const kvb::TSetMode controls = {shown[0], shown[1], shown[2], shown[3],
                                    shown[4], shown[5], shown[6]};

    // Transmit right after this Receive, with the steps it writes.
    const QDate day(2024, 3, 5);
    const kvcore::MemoryImage again = kvb::encodeImage(kvb::withDerivedSteps(table), controls, day);
    kvb::TSetData back = kvb::defaultSetData();
    kvb::decodeImage(again, back);
    const kvcore::MemoryImage direct = kvb::encodeImage(table, controls, QDate());
    for (int k = 0; k < 16; ++k)
        checkChannelAgainB(k, image, again, direct, table.Ch[k], back.Ch[k]);
    const uint8_t tail[] = {0x5C, 0xA7, 0x31, 0xE8, 0x6D, 0x92, 0xB4,
                            0x1F, 0x20, 0x24, 0x03, 0x05, 0x07, 0x15};
    KV_REQUIRE(std::equal(std::begin(tail), std::end(tail), &again[242]), "fixed tail differs");
    if (!allSelected(shown)) return;  // the write would stop at its setting check
    const auto twoBits = [](int v) { return static_cast<uint8_t>(std::min(v, 2)); };
    KV_REQUIRE(again[161] == ((image[161] & 0x07) | twoBits(m.SB) << 4 | twoBits(m.SP) << 6),
               "set-mode byte differs");
    KV_REQUIRE(again[162] == image[162] && again[163] == image[163], "Tot or Save differs");
}

}  // namespace kvfuzz
