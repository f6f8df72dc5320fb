#pragma once
// Each model's side of the kvctl tests: its emulator, a settings file, the bytes the windows'
// Save As and Transmit would give (from the widget-free functions the windows call, held
// against the windows in the model tests), and its faults.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "model_a/memmap.h"
#include "model_a/settings.h"
#include "model_b/memmap.h"
#include "model_b/settings.h"
#include "sim/kv417r.h"
#include "sim/kv93x.h"
#include "testdata.h"

namespace kvtest {

template <class Block>
QByteArray bytesOf(const Block& b) {
    return QByteArray(reinterpret_cast<const char*>(&b), sizeof b);
}
template <class Memory>
kvcore::MemoryImage imageOf(const Memory& m) {
    kvcore::MemoryImage image{};
    std::copy(m.begin(), m.end(), image.begin());
    return image;
}

template <class Faults>
struct LinkFault {
    const char* what;
    Faults faults;
    const char* message;
};

struct Kv417rSide {
    using Machine = kvsim::Kv417r;
    using Faults = kvsim::Kv417rFaults;
    static constexpr const char* model = "KV417R";
    static Machine::Memory golden() { return memoryImage<Machine::Memory>("kv417r_receive.bin"); }
    static QByteArray received(const kvcore::MemoryImage& m) {
        return bytesOf(kva::receivedBlock(m));
    }

    // Channel 1 224/225 MHz; `rx` and the serial baud rate are what a verify test changes.
    static kva::TSetData table(double rx = 224.0, int32_t sb = 3) {
        kva::TSetData d = kva::defaultSetData();
        d.Ch[0] = kva::storedChannel(rx, 225.0, {1, 0, 1, 0, 2});
        d.Mode.SB = sb;
        return d;
    }
    static QByteArray file() { return bytesOf(table()); }
    static kvcore::MemoryImage written(const kva::TSetData& d, const QDate&) {
        return kva::writeImage(d, kva::shownSetMode(d.Mode));
    }
    static bool compared(int a) {
        for (const kva::ByteRange& r : kva::kComparedRanges)
            if (a >= r.first && a <= r.last) return true;
        return false;
    }
    static QStringList differenceLines() {
        return {"CH 1 RX Frq.: file 224.0000, modem 224.5000",
                "Baud-Rate: file 9600bps, modem 2400bps"};
    }
    static kva::TSetData differentTable() { return table(224.5, 1); }
    // Bits no field reads: the upper nibble of channel 1's squelch byte.
    static int rawOnlyAddress() { return 3; }
    static uint8_t rawOnlyBits() { return 0x90; }
    static QByteArray refusedFile() {
        kva::TSetData d = table();
        d.Mode.Tot = 12;
        return bytesOf(d);
    }
    static const char* refusal() { return "Setting Error!! [Time Out Timer]"; }
    static std::vector<LinkFault<Faults>> readFaults() {
        Faults silent, wrongAck, badSum;
        silent.silenceAfterBytes = 3 + 100;
        wrongAck.wrongAckPosition = 2;
        badSum.wrongBlockChecksum = true;
        return {{"silence inside the block", silent, "Communication Error[1]!!"},
                {"wrong acknowledge", wrongAck, "Communication Error[2]!!"},
                {"wrong block checksum", badSum, "Communication Error[2]!!"}};
    }
    static Faults writeSilence() {
        Faults f;
        f.silenceAfterBytes = 3 * 10;
        return f;
    }
    static Faults readBackNg() {
        Faults f;
        f.ignoredWriteWord = 0x7F;
        return f;
    }
    static int erasedMarkAddress() { return kva::addr::Marker; }
    static int calibrationFirst() { return kva::addr::Calibration; }
    static int calibrationLast() { return kva::addr::Calibration + kva::kCalibrationSize - 1; }
};

struct Kv93xSide {
    using Machine = kvsim::Kv93x;
    using Faults = kvsim::ModemFaults;
    static constexpr const char* model = "KV935R";
    static Machine::Memory golden() { return memoryImage<Machine::Memory>("kv93x_receive.bin"); }
    static QByteArray received(const kvcore::MemoryImage& m) {
        return bytesOf(kvb::receivedBlock(m));
    }

    static kvb::TSetData table(double rx = 223.0125, int32_t sb = 0) {
        kvb::TSetData d = kvb::defaultSetData();
        kvb::assignChannel(d.Ch[0], kvb::storedChannel(rx, 230.0, {1, 0, 1, 0}));
        d.Mode.SB = sb;
        return d;
    }
    static QByteArray file() { return bytesOf(table()); }
    static kvcore::MemoryImage written(const kvb::TSetData& d, const QDate& day) {
        return kvb::writeImage(d, kvb::shownSetMode(d.Mode), day);
    }
    static bool compared(int a) {
        if (a >= kvb::mem::kDate && a < kvb::mem::kDate + 3) return false;  // checked apart
        for (const kvb::mem::Range& r : kvb::mem::kComparedBytes)
            if (a >= r.first && a <= r.last) return true;
        return false;
    }
    static QStringList differenceLines() {
        return {"CH 1 RX Frq.: file 223.0125, modem 223.0250", "SB: file 4800bps, modem 1200bps"};
    }
    static kvb::TSetData differentTable() { return table(223.025, 2); }
    // A bit no field reads: bit 2 of channel 1's option byte.
    static int rawOnlyAddress() { return kvb::mem::option(0); }
    static uint8_t rawOnlyBits() { return 0x04; }
    static QByteArray refusedFile() {
        kvb::TSetData d = table();
        d.Mode.Save = 9;
        return bytesOf(d);
    }
    static const char* refusal() { return "Setting Error!! [Save Time]"; }
    static std::vector<LinkFault<Faults>> readFaults() {
        Faults silent, refused;
        silent.silenceAfterBytes = 1 + 100;
        refused.wrongAckPosition = 1;
        refused.wrongAckValue = 0x15;
        return {{"silence inside the block", silent, "Communication Error[1]!!"},
                {"refusal", refused, "Communication Error[2]!!"}};
    }
    static Faults writeSilence() {
        Faults f;
        f.silenceAfterBytes = 10;
        return f;
    }
    static Faults readBackNg() {
        Faults f;
        f.ignoredWriteWord = 127;
        return f;
    }
    static int erasedMarkAddress() { return kvb::mem::kMark; }
    static int calibrationFirst() { return kvb::mem::kCalibrationFirst; }
    static int calibrationLast() { return kvb::mem::kCalibrationLast; }
};

// Whether `modem` holds, in every byte the read-back compares, what a write of Side::file()
// on this day leaves in it.
template <class Side, class Modem>
bool holdsTheFile(Modem& modem) {
    const auto memory = modem.memory();
    const kvcore::MemoryImage expected = Side::written(Side::table(), QDate::currentDate());
    for (int a = 0; a < 256; ++a)
        if (Side::compared(a) && memory[a] != expected[a]) return false;
    return true;
}

}  // namespace kvtest
