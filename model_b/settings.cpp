#include "model_b/settings.h"

#include "core/setmode.h"
#include "core/transfer.h"

namespace kvb {

const std::vector<SetModeControl>& setModeControls() {
    using K = kvcore::ControlKind;
    static const std::vector<SetModeControl> controls = {
        {"RG_Data", "Data/Audio Signal", "Data/Audio Signal", K::RadioGroup, &items::data(),
         &TSetMode::Data},
        {"RG_Busy", "Busy Signal", "Busy Signal", K::RadioGroup, &items::busy(), &TSetMode::Busy},
        {"RG_FSQC", "FSQC", "FSQC", K::RadioGroup, &items::fsqc(), &TSetMode::FSQC},
        {"RG_SB", "SB", "SB", K::RadioGroup, &items::sb(), &TSetMode::SB},
        {"RG_SP", "SP", "SP", K::RadioGroup, &items::sp(), &TSetMode::SP},
        {"CB_Tot", "Time Out Timer", "Time Out Timer", K::DropDown, &items::tot(), &TSetMode::Tot},
        {"CB_Save", "SAVE Time", "Save Time", K::DropDown, &items::save(), &TSetMode::Save},
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
    // A used channel from a settings file may hold a frequency no step divides or its code
    // cannot hold: it would go out as another frequency and still verify.
    return kvcore::firstWriteError(setModeControls(), controls, table.Ch, production,
                                   [](const TChData& c) { return lacksCode(c); });
}

MemoryImage writeImage(const TSetData& table, const TSetMode& controls, const QDate& today) {
    // A stored step stays where it codes its frequency; any other is derived from the
    // frequency, since it could code another frequency than the one the window shows.
    return encodeImage(withDerivedSteps(table), controls, today);
}

TSetData receivedBlock(const MemoryImage& image) {
    TSetData block = defaultSetData();
    block.Mode = shownSetMode(decodeImage(image, block));
    return block;
}

const std::array<const QStringList*, kChannelBoxes>& channelBoxItems() {
    static const std::array<const QStringList*, kChannelBoxes> boxes = {
        &items::power(), &items::br(), &items::da(), &items::mbr()};
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
    c.RxRef = FrqToRef(rx);
    c.TxRef = FrqToRef(tx);
    return c;
}

bool setAcceptsFrequency(double f, double min, double max) {
    // The modem counts a frequency in one of four steps: one that none of them divides has
    // no code, however well it lies within the limits.
    return kvcore::withinLimits(f, min, max) && FrqToRef(f) >= 0;
}

}  // namespace kvb
