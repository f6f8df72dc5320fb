#pragma once
// KV938R/935R/931R channel table and set-mode data: the settings block, its defaults, the
// frequency codes, the encodings into the modem's memory image and back, and the texts the
// windows show. No widgets here.
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "core/frequency.h"
#include "core/items.h"
#include "core/transfer.h"
#include "model_b/memmap.h"

namespace kvb {

// One channel. `Used` is a byte, not a bool: settings files may hold any value there.
struct TChData {
    uint8_t Used;   // 1 = holds data
    double RxFrq;   // MHz, 0 = none
    double TxFrq;   // MHz, 0 = none
    int32_t Power;  // 0 HIGH, 1 MID, 2 LOW, -1 = not set
    int32_t BR;     // 0 = 4800, 1 = 2400/1200
    int32_t RxRef;  // reference step of RxFrq: 0 = 25, 1 = 12.5, 2 = 6.25, 3 = 5 kHz
    int32_t TxRef;  // reference step of TxFrq, coded as RxRef
    int32_t DA;     // 0 OFF, 1 ON
    int32_t MBR;    // 0 = 2400, 1 = 1200
};

// The set-mode item indexes, in block order.
struct TSetMode {
    int32_t Data, Busy, FSQC, SB, SP, Tot, Save;
};

// The whole settings block, stored byte for byte in settings files (800 bytes, gaps kept).
struct TSetData {
    TChData Ch[16];
    TSetMode Mode;
    uint8_t Reserved[4];  // never set from a control; a loaded file's bytes stay as they were
};

static_assert(sizeof(TChData) == 48);
static_assert(offsetof(TChData, Used) == 0 && offsetof(TChData, RxFrq) == 8);
static_assert(offsetof(TChData, TxFrq) == 16 && offsetof(TChData, Power) == 24);
static_assert(offsetof(TChData, BR) == 28 && offsetof(TChData, RxRef) == 32);
static_assert(offsetof(TChData, TxRef) == 36 && offsetof(TChData, DA) == 40);
static_assert(offsetof(TChData, MBR) == 44);
static_assert(sizeof(double) == 8 && sizeof(TSetMode) == 28);
static_assert(sizeof(TSetData) == 800);
static_assert(offsetof(TSetData, Mode) == 768);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, Busy) == 772);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, FSQC) == 776);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, SB) == 780);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, SP) == 784);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, Tot) == 788);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, Save) == 792);
static_assert(offsetof(TSetData, Reserved) == 796);

using kvcore::FrqLimits;
using kvcore::frqText;
using kvcore::kChannels;
using kvcore::MemoryImage;
using kvcore::StrToFrq;
using Code3 = std::array<uint8_t, 3>;

// Both ends included.
FrqLimits limitsFor(bool production);

// The channel as Clear leaves it: Used 0, no frequencies, the six indexes -1.
TChData emptyChannel();
TSetMode defaultSetMode();
// All 800 bytes 0 (gaps and Reserved included), then every channel empty and the set-mode
// defaults. In place, so the zeroed gaps reach the caller's block for certain.
void setDefaults(TSetData& data);
TSetData defaultSetData();
// Copies the ten fields only: the gap bytes of `dst` stay as they were.
void assignChannel(TChData& dst, const TChData& src);

// Nearest integer, an exact half going away from zero. NaN, infinities and anything that
// rounds outside -2147483647..2147483647 give kNoInt, which no caller takes for a frequency.
constexpr int32_t kNoInt = std::numeric_limits<int32_t>::min();
int32_t RoundToInt(double x);

// Index of the coarsest reference step that divides f (MHz), or -1 for none (and for no number
// or one far beyond any code).
int32_t FrqToRef(double f);

enum class CodeStatus {
    Done = 0,
    BadIndex = 1,  // ref outside 0..3
    NoCode = 2,    // the code cannot hold f: below 0, above 131071 steps, or no number at all
};
// Frequency code of f (MHz) counted in step `ref`; `code` is left untouched unless Done.
CodeStatus FrqToCode(double f, int32_t ref, Code3& code);
// The frequency a code stands for, in MHz; -1.0 for a ref outside 0..3.
double CodeToFrq(uint8_t b0, uint8_t b1, uint8_t b2, int32_t ref);
inline double CodeToFrq(const Code3& code, int32_t ref) {
    return CodeToFrq(code[0], code[1], code[2], ref);
}

// The modem keeps the receive frequency raised by 45.1 MHz, a multiple of every step.
constexpr double kRxOffset = 45.1;
CodeStatus RxFrqToCode(double rxFrq, int32_t ref, Code3& code);
// The code's frequency less 45.1 MHz, as the double nearest the exact value (the one typing
// that frequency gives); -1.0 for a ref outside 0..3.
double CodeToRxFrq(const Code3& code, int32_t ref);

uint8_t encodeOption(const TChData& ch);
uint8_t encodeFlags(const TChData& ch);
uint8_t encodeSetMode(const TSetMode& m);
// Channel k of an image: the empty channel unless bit 7 of its flag byte is set.
TChData decodeChannel(const MemoryImage& image, int k);
// Bytes 161..163 as stored: SB and SP may read 3, Tot and Save may lie beyond their lists.
TSetMode decodeSetMode(const MemoryImage& image);

// Packed BCD of the date's two-digit year, month and day.
std::array<uint8_t, 3> dateBytes(const QDate& date);

// The 256-byte image a table write sends: codes of used channels, option and flag bytes of
// every channel, the set-mode bytes from `controls` (not the block's copy), the fixed block,
// `date`, the format mark; every other byte 0. A used channel whose code cannot be formed
// keeps 0 code bytes; Transmit refuses such a table before this (see lacksCode).
MemoryImage encodeImage(const TSetData& table, const TSetMode& controls, const QDate& date);
bool hasFormatMark(const MemoryImage& image);
// The channels of an image into `table` field by field (gaps and set-mode copy untouched);
// returns the set-mode indexes as stored, for the controls.
TSetMode decodeImage(const MemoryImage& image, TSetData& table);

// A used channel whose codes would not stand for its frequencies: no step divides one of
// them, or the code cannot hold it. Only a settings file can give such a channel.
bool lacksCode(const TChData& ch);
// The table with the steps a write counts each used channel's frequencies in. A stored step
// that codes its frequency exactly stays, so a table read from a modem is written back byte
// for byte; any other (no step, one that does not divide the frequency, or one too fine for
// the code to hold it) is derived from the frequency as Set derives it, so that a step from
// a file never turns into a code for another frequency.
TSetData withDerivedSteps(const TSetData& table);

// The 14-character step texts of the Set log line ("RX Ref:25KHz  "); empty outside 0..3.
QString rxRefText(int32_t ref);
QString txRefText(int32_t ref);

// Who writes a grid row: each has its own texts (Set "ON ", Receive " ON", Open "ON").
enum class GridWriter { Set, Receive, Open };
// Texts of grid columns 1 to 6 for a channel. Receive gives six empty texts for a channel
// that is not used and shows every frequency; Open shows the block as it is, but leaves a
// frequency of 0 and an index outside its list empty.
std::array<QString, 6> gridTexts(const TChData& ch, GridWriter writer);
QString gridHeading(int column);  // columns 1..6

// Item lists of the edit panel and the set-mode controls.
namespace items {
const QStringList& power();
using kvcore::items::br;
using kvcore::items::da;
using kvcore::items::mbr;
const QStringList& data();
const QStringList& busy();
const QStringList& fsqc();
const QStringList& sb();
const QStringList& sp();
using kvcore::items::save;
using kvcore::items::tot;
}  // namespace items

}  // namespace kvb
