#include "model_a/settings.h"

#include "core/setmode.h"
#include "core/transfer.h"

namespace kva {

const std::vector<SetModeControl>& setModeControls() {
    using K = kvcore::ControlKind;
    static const std::vector<SetModeControl> controls = {
        {"RG_Data", "Data/Audio Signal", "Data/Audio Signal", K::RadioGroup, &items::data(),
         &TSetMode::Data},
        {"RG_Busy", "Busy Signal", "Busy Signal", K::RadioGroup, &items::busy(), &TSetMode::Busy},
        {"RG_FSQC", "FSQC", "FSQC", K::RadioGroup, &items::da(), &TSetMode::FSQC},
        {"RG_EXT", "EXT SQC", "EXT SQC", K::RadioGroup, &items::ext(), &TSetMode::EXT},
        {"RG_VCO", "VCO", "VCO", K::RadioGroup, &items::vco(), &TSetMode::VCO},
        {"RG_SB", "Baud-Rate", "Baud-Rate", K::RadioGroup, &items::sb(), &TSetMode::SB},
        {"RG_SP", "Parity", "Parity", K::RadioGroup, &items::sp(), &TSetMode::SP},
        {"RG_ST", "Stop Bit", "Stop Bit", K::RadioGroup, &items::st(), &TSetMode::ST},
        {"RG_SD", "Data Len", "DATA Len", K::RadioGroup, &items::sd(), &TSetMode::SD},
        {"RG_RMT", "Remote", "Remote", K::RadioGroup, &items::rmt(), &TSetMode::RMT},
        {"CB_Tot", "Time Out", "Time Out Timer", K::DropDown, &items::tot(), &TSetMode::Tot},
        {"CB_Save", "SAVE", "Save Time", K::DropDown, &items::save(), &TSetMode::Save},
        {"CB_SL", "Sleep", "Sleep", K::DropDown, &items::sleep(), &TSetMode::SL},
    };
    return controls;
}

const SetModeControl& setModeControl(int32_t TSetMode::*field) {
    return kvcore::controlFor(setModeControls(), field);
}

TSetMode shownSetMode(const TSetMode& stored) {
    return kvcore::shownValues(setModeControls(), stored);
}

QString firstSettingError(const TSetData& table, const TSetMode& controls, bool production) {
    // A used channel's frequency the six BCD digits cannot hold would be written cut short
    // and still verify.
    return kvcore::firstWriteError(
        setModeControls(), controls, table.Ch, production, [](const TChData& c) {
            return c.Used && !(frequencyFitsBcd(c.RxFrq) && frequencyFitsBcd(c.TxFrq));
        });
}

MemoryImage writeImage(const TSetData& table, const TSetMode& controls) {
    return buildWriteImage(table, controls);
}

TSetData receivedBlock(const MemoryImage& image) {
    TSetData block = defaultSetData();
    for (int k = 1; k <= kChannels; ++k) {
        // Field by field, so the zeroed gaps of the defaults stay as they are.
        assignChannel(block.Ch[k - 1], decodeChannel(&image[recordAddress(k)]));
    }
    block.Mode = shownSetMode(decodeSetMode(image));
    return block;
}

const std::array<const QStringList*, kChannelBoxes>& channelBoxItems() {
    static const std::array<const QStringList*, kChannelBoxes> boxes = {
        &items::power(), &items::br(), &items::da(), &items::mbr(), &items::sql()};
    return boxes;
}

TChData storedChannel(double rx, double tx, const std::array<int32_t, kChannelBoxes>& boxes) {
    TChData c = emptyChannel();
    c.Used = 1;
    c.RxFrq = rx;
    c.TxFrq = tx;
    c.Power = boxes[0];
    c.BR = boxes[1];
    c.DA = boxes[2];
    c.MBR = boxes[3];
    c.SQL = boxes[4];
    return c;
}

bool setAcceptsFrequency(double f, double min, double max) {
    return kvcore::withinLimits(f, min, max);
}

}  // namespace kva
