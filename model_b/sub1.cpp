// TForm1, the KV938R/935R/931R factory window: READ and WRITE of the calibration values and
// the erase of the whole memory (EEPROM INIT, ALL F CLR). It reports only in message boxes.
#include "model_b/sub1.h"

#include <QLineEdit>
#include <optional>

#include "core/backup.h"
#include "core/hexinput.h"
#include "core/portsession.h"
#include "model_b/descriptor.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kvb {

using kvcore::PortSession;

std::array<TForm1::CalibrationBox, 10> TForm1::calibrationBoxes() const {
    // Bytes 8..13 have no box: WRITE sends FF for them and READ does not show them.
    return {{{Edit1, 0, 1},
             {Edit2, 1, 1},
             {Edit3, 2, 1},
             {Edit4, 3, 1},
             {Edit5, 4, 1},
             {Edit6, 5, 1},
             {Edit7, 6, 1},
             {Edit8, 7, 1},
             {Edit9, 14, 2},
             {Edit10, 16, 2}}};
}

void TForm1::showCalibration(const Calibration& values) {
    for (const CalibrationBox& box : calibrationBoxes()) {
        const auto at = static_cast<size_t>(box.firstByte);
        const uint32_t value =
            box.bytes == 2 ? (uint32_t{values[at]} << 8) | values[at + 1] : uint32_t{values[at]};
        box.edit->setText(kvcore::hexText(value, 2 * box.bytes));
    }
}

void TForm1::Button2Click() {
    runOperation(QStringLiteral("READ"), [this] {
        PortSession port(*comm_);
        Programmer modem(*comm_);
        Calibration values{};
        if (!exchangeOk(modem.readCalibration(values), port)) return;
        port.close();
        showCalibration(values);
        successBox(QStringLiteral("A/D Data Read OK!!"));
    });
}

void TForm1::Button3Click() {
    runOperation(QStringLiteral("WRITE"), [this] {
        Calibration written;
        written.fill(0xFF);
        for (const CalibrationBox& box : calibrationBoxes()) {
            // A value wider than its box is refused: cut to fit, it would verify as written.
            const std::optional<uint32_t> value =
                kvcore::parseHexField(box.edit->text(), box.bytes);
            if (!value) {
                failureBox(QStringLiteral("Input Data Error!!"));
                return;
            }
            const auto at = static_cast<size_t>(box.firstByte);
            if (box.bytes == 2) {
                written[at] = static_cast<uint8_t>(*value >> 8);
                written[at + 1] = static_cast<uint8_t>(*value);
            } else {
                written[at] = static_cast<uint8_t>(*value);
            }
        }

        PortSession port(*comm_);
        Programmer modem(*comm_);
        Calibration readBack{};
        if (!exchangeOk(modem.writeCalibration(written, readBack), port)) return;
        port.close();
        if (readBack != written)
            failureBox(QStringLiteral("A/D Data Clear NG!!"));
        else
            successBox(QStringLiteral("A/D Data Write OK!!"));
    });
}

void TForm1::Button4Click() {
    close();
}

void TForm1::Button5Click() {
    runOperation(QStringLiteral("EEPROM INIT"), [this] {
        // One click would wipe the modem's calibration and channels: ask first.
        const platform::MsgRequest ask{platform::MsgKind::Plain, QStringLiteral("EEPROM INIT ?"),
                                       platform::MsgButtons::OkCancel, QStringLiteral("FACTORY")};
        if (platform::showMessage(ask, this) != platform::MsgResult::Ok) return;

        PortSession port(*comm_);
        Programmer modem(*comm_);
        bool erased = false;
        MemoryImage readBack{};
        if (!exchangeOk(modem.eraseMemory(erased, &readBack), port)) return;
        port.close();
        kvcore::keepBackup(descriptor().settingsModel, kvcore::ImageKind::EraseVerify, readBack);
        if (erased)
            successBox(QStringLiteral("EEPROM INIT OK!!"));
        else
            failureBox(QStringLiteral("EEPROM INIT NG!!"));
    });
}

}  // namespace kvb
