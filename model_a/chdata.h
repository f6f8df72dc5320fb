#pragma once
// KV417R channel table and set-mode data: the settings block, its defaults, the encodings
// into the modem's memory image and back, and the texts the window shows. No widgets here.
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/frequency.h"
#include "core/items.h"
#include "core/transfer.h"
#include "model_a/memmap.h"

namespace kva {

using kvcore::FrqLimits;
using kvcore::kChannels;
using kvcore::kMemorySize;
using kvcore::MemoryImage;
using kvcore::StrToFrq;

// One channel. `Used` is a byte, not a bool: settings files may hold any value there.
struct TChData {
    uint8_t Used;
    double RxFrq;  // MHz, 0 = none
    double TxFrq;
    int32_t Power;  // 0..4 = L1..L5, -1 = not set
    int32_t BR;     // 0 = 4800, 1 = 2400/1200
    int32_t DA;     // 0 = OFF, 1 = ON
    int32_t MBR;    // 0 = 2400, 1 = 1200
    int32_t SQL;    // 0..8 = L1..L9
};

// The set-mode item indexes, in block order.
struct TSetMode {
    int32_t Data, Busy, FSQC, EXT, VCO, SB, SP, ST, SD, RMT, Tot, Save, SL;
};

// The whole settings block, stored byte for byte in settings files (824 bytes, gaps kept).
struct TSetData {
    TChData Ch[16];
    TSetMode Mode;
};

static_assert(sizeof(TChData) == 48);
static_assert(offsetof(TChData, RxFrq) == 8 && offsetof(TChData, TxFrq) == 16);
static_assert(offsetof(TChData, Power) == 24 && offsetof(TChData, SQL) == 40);
static_assert(sizeof(TSetData) == 824);
static_assert(offsetof(TSetData, Mode) == 768);
static_assert(offsetof(TSetData, Mode) + offsetof(TSetMode, SL) == 816);

using ChannelBytes = std::array<uint8_t, kRecordSize>;
using Bcd3 = std::array<uint8_t, 3>;

FrqLimits limitsFor(bool production);

TChData emptyChannel();
// Copies the eight fields only: the gap bytes of `dst` stay as they were.
void assignChannel(TChData& dst, const TChData& src);
TSetMode defaultSetMode();
// Zero-filled block (gaps included), every channel empty, the set-mode defaults.
TSetData defaultSetData();

// Frequency in MHz to packed BCD of its whole-kHz value.
Bcd3 FrqToBcd(double f);
double BcdToFrq(uint8_t b0, uint8_t b1, uint8_t b2);
// True when the six digits hold f to its nearest kHz: 0 up to 999.999 MHz. FrqToBcd cuts a
// larger value to its first six digits and writes 00 00 00 for a negative or non-finite one.
bool frequencyFitsBcd(double f);

ChannelBytes encodeChannel(const TChData& ch);
// Bit 7 of byte 7 clear gives the empty channel.
TChData decodeChannel(const uint8_t* record);

uint8_t encodeByteA(const TSetMode& m);
uint8_t encodeByteB(const TSetMode& m);
// From bytes 0xDC..0xDF of an image: Data..RMT, Tot and Save as stored (Tot/Save may lie
// beyond their lists; SP may be 3), SL always 0.
TSetMode decodeSetMode(const MemoryImage& image);

// The 256-byte image a write sends: channels from `table`, set-mode bytes from `controls`,
// the marker at 0xFE; everything else 0.
MemoryImage buildWriteImage(const TSetData& table, const TSetMode& controls);

// Who writes a grid row: each writes its own "ON" text in the D/A column.
enum class GridWriter { Set, Read, FileOpen };
// Texts of grid columns 1 to 7 for a channel. Read gives seven empty texts for a channel
// that is not used; FileOpen leaves a frequency of 0 blank; an index outside its list
// gives an empty cell for every writer.
std::array<QString, 7> gridTexts(const TChData& ch, GridWriter writer);
QString gridHeading(int column);  // columns 1..7

// Item lists of the edit panel and the set-mode controls.
namespace items {
const QStringList& power();
using kvcore::items::br;
using kvcore::items::da;
using kvcore::items::mbr;
const QStringList& sql();
using kvcore::items::save;
using kvcore::items::tot;
const QStringList& sleep();
// The set-mode radio groups.
const QStringList& data();
const QStringList& busy();
const QStringList& ext();
const QStringList& vco();
const QStringList& sb();
const QStringList& sp();
const QStringList& st();
const QStringList& sd();
const QStringList& rmt();
}  // namespace items

}  // namespace kva
