// TSubForm1, the KV417R factory window: READ and WRITE of the calibration block, EEPROM
// INIT, TX POW SET, SQL SET and the channel buttons.
#include "model_a/sub1.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <optional>

#include "core/backup.h"
#include "core/hexinput.h"
#include "core/portsession.h"
#include "model_a/descriptor.h"
#include "model_a/programmer.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kva {

using kvcore::parseHexInput;
using kvcore::PortSession;
using kvui::selectedItem;

namespace {
const QString kInputError = QStringLiteral("Input Data Error!!");
}  // namespace

std::array<TSubForm1::BlockBox, 18> TSubForm1::blockBoxes() const {
    // In the order WRITE converts them; bytes 10, 11 and 29 have no box.
    return {{{Edit1, 0, 2},
             {Edit2, 2, 2},
             {Edit3, 4, 2},
             {Edit4, 6, 2},
             {Edit5, 8, 2},
             {Edit6, 20, 1},
             {Edit7, 21, 1},
             {Edit8, 22, 1},
             {Edit9, 23, 1},
             {Edit10, 24, 1},
             {Edit11, 25, 1},
             {Edit12, 26, 1},
             {Edit19, 27, 1},
             {Edit20, 28, 1},
             {Edit13, 12, 2},
             {Edit14, 14, 2},
             {Edit15, 16, 2},
             {Edit16, 18, 2}}};
}

void TSubForm1::showBlock(const Block& block) {
    for (const BlockBox& box : blockBoxes()) {
        const auto at = static_cast<size_t>(box.firstByte);
        const uint32_t value =
            box.width == 2 ? (uint32_t{block[at]} << 8) | block[at + 1] : uint32_t{block[at]};
        box.edit->setText(kvcore::hexText(value, box.width * 2));
    }
}

void TSubForm1::setStatus(const QString& text, bool success) {
    if (success) noteSuccess(text);
    QPalette p = Edit18->palette();
    p.setColor(QPalette::Base,
               success ? QColor(0, 255, 255) : QApplication::palette(Edit18).color(QPalette::Base));
    Edit18->setPalette(p);
    Edit18->setText(text);
}

void TSubForm1::FormCreate() {
    CB_TXP->setCurrentIndex(2);
    CB_SQL->setCurrentIndex(1);
    platform::guarded(this, [this] {
        const QString path = platform::findInCurrentFolder(QStringLiteral("Factory.INI"));
        if (path.isEmpty()) return;
        // Read into a scratch block: a short file must leave the default texts.
        Block block{};
        platform::readBlock(path, block.data(), kCalibrationSize);
        showBlock(block);
    });
}

void TSubForm1::Button2Click() {
    runOperation(QStringLiteral("READ"), [this] {
        PortSession port(*comm_);
        setStatus(QStringLiteral("Read Start"), false);
        Programmer modem(*comm_);
        Block block{};
        if (!exchangeOk(modem.readWords(kCalibrationFirstWord, kCalibrationSize / 2, block.data()),
                        port))
            return;
        port.close();
        showBlock(block);
        setStatus(QStringLiteral("Read OK"), true);
    });
}

void TSubForm1::Button3Click() {
    runOperation(QStringLiteral("WRITE"), [this] {
        Block written;
        written.fill(0xFF);
        for (const BlockBox& box : blockBoxes()) {
            // A value wider than its box is refused: cut to fit, it would verify as written.
            const std::optional<uint32_t> value =
                kvcore::parseHexField(box.edit->text(), box.width);
            if (!value) {
                failureBox(kInputError);
                return;
            }
            const auto at = static_cast<size_t>(box.firstByte);
            if (box.width == 2) {
                written[at] = static_cast<uint8_t>(*value >> 8);
                written[at + 1] = static_cast<uint8_t>(*value);
            } else {
                written[at] = static_cast<uint8_t>(*value);
            }
        }
        written[29] = 0x00;

        PortSession port(*comm_);
        setStatus(QStringLiteral("Write Start"), false);
        Programmer modem(*comm_);
        const int words = kCalibrationSize / 2;
        if (!exchangeOk(modem.writeWords(kCalibrationFirstWord, words, written.data()), port))
            return;
        Block readBack{};
        if (!exchangeOk(modem.readWords(kCalibrationFirstWord, words, readBack.data()), port))
            return;
        port.close();
        if (readBack != written) {
            failureBox(QStringLiteral("Data Write NG!!"));
            return;
        }
        setStatus(QStringLiteral("Write OK"), true);
        successBox(QStringLiteral("POWER OFF -> ON!!"));
    });
}

void TSubForm1::Button4Click() {
    close();
}

void TSubForm1::Button5Click() {
    runOperation(QStringLiteral("EEPROM INIT"), [this] {
        const platform::MsgRequest ask{platform::MsgKind::Plain, QStringLiteral("EEPROM INIT ?"),
                                       platform::MsgButtons::OkCancel, QStringLiteral("FACTORY")};
        if (platform::showMessage(ask, this) != platform::MsgResult::Ok) return;

        PortSession port(*comm_);
        setStatus(QStringLiteral("INIT Start"), false);
        Programmer modem(*comm_);
        bool erased = false;
        MemoryImage readBack{};
        if (!exchangeOk(modem.eraseMemory(erased, &readBack), port)) return;
        port.close();
        kvcore::keepBackup(descriptor().settingsModel, kvcore::ImageKind::EraseVerify, readBack);
        if (!erased) {
            failureBox(QStringLiteral("EEPROM INIT NG!!"));
            return;
        }
        setStatus(QStringLiteral("INIT OK"), true);
        successBox(QStringLiteral("EEPROM INIT OK!!"));
    });
}

void TSubForm1::Button6Click() {
    runOperation(QStringLiteral("TX POW SET"), [this] {
        const int level = selectedItem(CB_TXP);
        if (level < 0) {
            failureBox(QStringLiteral("Select TX POWER!!"));
            return;
        }
        const std::optional<uint32_t> value = parseHexInput(Edit17->text());
        if (!value || *value < 0xC000 || *value > 0xFFFF) {
            failureBox(kInputError);
            return;
        }

        PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Programmer modem(*comm_);
        if (!exchangeOk(
                modem.setTxPower(static_cast<uint16_t>(*value), static_cast<uint8_t>(level + 1)),
                port))
            return;
        port.close();
        setStatus(QStringLiteral("OK"), true);
        CB_TXP->setCurrentIndex((level + 1) % CB_TXP->count());
    });
}

void TSubForm1::Button7Click() {
    runOperation(QStringLiteral("SQL SET"), [this] {
        const int level = selectedItem(CB_SQL);
        if (level < 0) {
            failureBox(QStringLiteral("Select SQL!!"));
            return;
        }

        PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Programmer modem(*comm_);
        if (!exchangeOk(modem.setSql(static_cast<uint8_t>(level + 1)), port)) return;
        port.close();
        setStatus(QStringLiteral("OK"), true);
        CB_SQL->setCurrentIndex((level + 1) % CB_SQL->count());
    });
}

void TSubForm1::channelClick(int channel) {
    runOperation(QStringLiteral("CH%1").arg(channel + 1), [this, channel] {
        // No SQL selection sends level 0 here; only SQL SET insists on one.
        const int sql = selectedItem(CB_SQL) + 1;

        PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Programmer modem(*comm_);
        if (!exchangeOk(modem.setChannel(static_cast<uint8_t>(channel), static_cast<uint8_t>(sql)),
                        port))
            return;
        port.close();
        setStatus(QStringLiteral("CH%1 OK").arg(channel + 1), true);
    });
}

}  // namespace kva
