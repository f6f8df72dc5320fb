#pragma once
// kvprog_a's part of the soak run: its window, the KV417R emulator and the factory window.
#include <QLineEdit>
#include <array>
#include <random>

#include "bench/calibrationbox.h"
#include "model_a/main.h"
#include "model_a/sub1.h"
#include "sim/kv417r.h"

namespace kvsoak {

struct SoakA {
    class Window : public kva::TMainForm {
      public:
        using TMainForm::writeImage;
    };
    using Machine = kvsim::Kv417r;
    using Faults = Machine::Faults;
    using Memory = Machine::Memory;
    using Factory = kva::TSubForm1;

    static constexpr const char* kMarker = "Seisan.FMT";
    static constexpr int kAckBytes = 3;
    static constexpr bool kBlockChecksum = true;
    static void badChecksum(Faults& f) { f.wrongBlockChecksum = true; }

    static bool hasFormatMark(const Memory& m) { return m[0xFE] == 0xE3 && m[0xFF] == 0x5A; }
    static bool tableMatches(Window& w, const Memory& m) {
        for (int k = 0; k < 16; ++k) {
            const kva::TChData a = kva::decodeChannel(&m[8 * k]);
            const kva::TChData& b = w.SetData.Ch[k];
            if (a.Used != b.Used || a.RxFrq != b.RxFrq || a.TxFrq != b.TxFrq ||
                a.Power != b.Power || a.BR != b.BR || a.DA != b.DA || a.MBR != b.MBR ||
                a.SQL != b.SQL)
                return false;
        }
        return true;
    }
    static Memory writtenImage(Window& w) { return w.writeImage(); }
    // The words a table write sends: 0x00-0x3F, 0x60, 0x6D-0x6F and 0x7F.
    static bool writtenBytesEqual(Window&, const Memory& image, const Memory& m) {
        for (int a = 0; a < 256; ++a) {
            const bool written =
                a < 0x80 || a == 0xC0 || a == 0xC1 || (a >= 0xDA && a <= 0xDF) || a >= 0xFE;
            if (written && image[a] != m[a]) return false;
        }
        return true;
    }

    // Boxes of the 30-byte calibration block (memory bytes 224..253), first byte high.
    using Box = CalibrationBox<Factory>;
    static constexpr std::array<Box, 18> kBoxes = {{
        {&Factory::Edit1, 0, 2},
        {&Factory::Edit2, 2, 2},
        {&Factory::Edit3, 4, 2},
        {&Factory::Edit4, 6, 2},
        {&Factory::Edit5, 8, 2},
        {&Factory::Edit13, 12, 2},
        {&Factory::Edit14, 14, 2},
        {&Factory::Edit15, 16, 2},
        {&Factory::Edit16, 18, 2},
        {&Factory::Edit6, 20, 1},
        {&Factory::Edit7, 21, 1},
        {&Factory::Edit8, 22, 1},
        {&Factory::Edit9, 23, 1},
        {&Factory::Edit10, 24, 1},
        {&Factory::Edit11, 25, 1},
        {&Factory::Edit12, 26, 1},
        {&Factory::Edit19, 27, 1},
        {&Factory::Edit20, 28, 1},
    }};
    // WRITE sends FF FF for bytes 10 and 11 and 00 for byte 29, which have no box.
    static void blankCalibration(std::array<uint8_t, 30>& block) {
        block.fill(0xFF);
        block[29] = 0x00;
    }
    static bool calibrationWritten(const std::array<uint8_t, 30>& block, const Memory& m) {
        return std::equal(block.begin(), block.end(), m.begin() + 224);
    }
    static void read(Factory& f) { f.Button2Click(); }
    static void write(Factory& f) { f.Button3Click(); }
    static void erase(Factory& f) { f.Button5Click(); }
    static inline const QString readOk;  // READ reports in its status line only
    static inline const QString writeOk = QStringLiteral("POWER OFF -> ON!!");
    static inline const QString eraseOk = QStringLiteral("EEPROM INIT OK!!");
};

}  // namespace kvsoak
