#include "model_a/settings.h"

#include "core/setmode.h"
#include "core/transfer.h"

namespace kva {
namespace {

using kvcore::ControlKind;

const QStringList& list(std::initializer_list<const char*> texts) {
    // Each call site keeps its own list for the life of the program.
    auto* l = new QStringList;
    for (const char* t : texts) l->append(QString::fromUtf8(t));
    return *l;
}

}  // namespace

const std::vector<SetModeControl>& setModeControls() {
    using K = ControlKind;
    // The double quotes belong to the item texts of RG_Data.
    static const std::vector<SetModeControl> controls = {
        {"RG_Data", "Data/Audio Signal", "Data/Audio Signal", K::RadioGroup,
         &list({"\"H\" Data   \"L\" Audio", "\"L\"  Data  \"H\" Audio"}), &TSetMode::Data},
        {"RG_Busy", "Busy Signal", "Busy Signal", K::RadioGroup, &list({"L:Busy", "H:Busy"}),
         &TSetMode::Busy},
        {"RG_FSQC", "FSQC", "FSQC", K::RadioGroup, &items::da(), &TSetMode::FSQC},
        {"RG_EXT", "EXT SQC", "EXT SQC", K::RadioGroup, &list({"L:Open", "H:Open"}),
         &TSetMode::EXT},
        {"RG_VCO", "VCO", "VCO", K::RadioGroup, &list({"Tx off", "Tx on"}), &TSetMode::VCO},
        {"RG_SB", "Baud-Rate", "Baud-Rate", K::RadioGroup,
         &list({"1200bps", "2400bps", "4800bps", "9600bps"}), &TSetMode::SB},
        {"RG_SP", "Parity", "Parity", K::RadioGroup, &list({"NONE", "ODD", "EVEN"}), &TSetMode::SP},
        {"RG_ST", "Stop Bit", "Stop Bit", K::RadioGroup, &list({"1 bit", "2 bit"}), &TSetMode::ST},
        {"RG_SD", "Data Len", "DATA Len", K::RadioGroup, &list({"7 bit", "8 bit"}), &TSetMode::SD},
        {"RG_RMT", "Remote", "Remote", K::RadioGroup, &list({"Disable", "Enable"}), &TSetMode::RMT},
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
