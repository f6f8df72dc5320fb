#pragma once
// kvprog_b's part of the soak run: its window, the KV93x emulator and the factory window.
#include <QLineEdit>
#include <array>
#include <random>

#include "bench/calibrationbox.h"
#include "model_b/main.h"
#include "model_b/sub1.h"
#include "sim/kv93x.h"

namespace kvsoak {

struct SoakB {
    class Window : public kvb::TMainForm {
      public:
        using TMainForm::writeImage;
    };
    using Machine = kvsim::Kv93x;
    using Faults = Machine::Faults;
    using Memory = Machine::Memory;
    using Factory = kvb::TForm1;

    static constexpr const char* kMarker = "\xE7\x94\x9F\xE7\x94\xA3.FMT";  // 生産.FMT
    static constexpr int kAckBytes = 1;
    static constexpr bool kBlockChecksum = false;  // its replies carry none
    static void badChecksum(Faults&) {}

    static bool hasFormatMark(const Memory& m) { return m[254] == 0x07 && m[255] == 0x15; }
    static bool tableMatches(Window& w, const Memory& m) {
        kvb::TSetData t = kvb::defaultSetData();
        kvb::decodeImage(m, t);
        for (int k = 0; k < 16; ++k) {
            const kvb::TChData& a = t.Ch[k];
            const kvb::TChData& b = w.SetData.Ch[k];
            if (a.Used != b.Used || a.RxFrq != b.RxFrq || a.TxFrq != b.TxFrq ||
                a.Power != b.Power || a.BR != b.BR || a.DA != b.DA || a.MBR != b.MBR ||
                a.RxRef != b.RxRef || a.TxRef != b.TxRef)
                return false;
        }
        return true;
    }
    static Memory writtenImage(Window& w) { return w.writeImage(); }
    // Words 0..111 and 121..127: the calibration words are never written.
    static bool writtenBytesEqual(Window&, const Memory& image, const Memory& m) {
        return std::equal(image.begin(), image.begin() + 224, m.begin()) &&
               std::equal(image.begin() + 242, image.end(), m.begin() + 242);
    }

    // Calibration bytes 0..17 = memory bytes 224..241; bytes 8..13 have no box.
    using Box = CalibrationBox<Factory>;
    static constexpr std::array<Box, 10> kBoxes = {{
        {&Factory::Edit1, 0, 1},
        {&Factory::Edit2, 1, 1},
        {&Factory::Edit3, 2, 1},
        {&Factory::Edit4, 3, 1},
        {&Factory::Edit5, 4, 1},
        {&Factory::Edit6, 5, 1},
        {&Factory::Edit7, 6, 1},
        {&Factory::Edit8, 7, 1},
        {&Factory::Edit9, 14, 2},
        {&Factory::Edit10, 16, 2},
    }};
    // WRITE sends FF for bytes 8..13, which have no box.
    static void blankCalibration(std::array<uint8_t, 30>& block) { block.fill(0xFF); }
    static bool calibrationWritten(const std::array<uint8_t, 30>& block, const Memory& m) {
        return std::equal(block.begin(), block.begin() + 18, m.begin() + 224);
    }
    static void read(Factory& f) { f.Button2Click(); }
    static void write(Factory& f) { f.Button3Click(); }
    static void erase(Factory& f) { f.Button5Click(); }
    static inline const QString readOk = QStringLiteral("A/D Data Read OK!!");
    static inline const QString writeOk = QStringLiteral("A/D Data Write OK!!");
    static inline const QString eraseOk = QStringLiteral("EEPROM INIT OK!!");
};

}  // namespace kvsoak
