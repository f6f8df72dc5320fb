// TMainForm of kvprog_a, the File menu: settings files hold the raw 824-byte settings
// block, and the printed setting list shows it.
#include <cstring>

#include "model_a/main.h"
#include "model_a/printlist.h"

namespace kva {

QByteArray TMainForm::settingsBlock() const {
    return QByteArray(reinterpret_cast<const char*>(&SetData), sizeof SetData);
}

void TMainForm::takeSettingsBlock(const QByteArray& block) {
    std::memcpy(&SetData, block.constData(), sizeof SetData);  // gaps included
}

void TMainForm::showOpenedBlock() {
    for (int ch = 1; ch <= kChannels; ++ch) showChannelRow(ch, GridWriter::FileOpen);
    setControlSetMode(SetData.Mode);
}

void TMainForm::copyControlsToBlock() {
    SetData.Mode = controlSetMode();
}

void TMainForm::drawSettingList(platform::TCanvas& canvas, const QDateTime& now) const {
    printSettingList(canvas, SetData, FileName, now);
}

}  // namespace kva
