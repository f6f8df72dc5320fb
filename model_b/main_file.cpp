// TMainForm of kvprog_b, the File menu: settings files hold the raw 800-byte settings
// block, and the printed setting list shows it.
#include <algorithm>
#include <cstring>

#include "model_b/main.h"
#include "model_b/printlist.h"

namespace kvb {

QByteArray TMainForm::settingsBlock() const {
    return QByteArray(reinterpret_cast<const char*>(&SetData), sizeof SetData);
}

void TMainForm::takeSettingsBlock(const QByteArray& block) {
    // Gaps, Reserved and the steps come along as the file holds them.
    std::memcpy(&SetData, block.constData(), std::min<size_t>(block.size(), sizeof SetData));
}

void TMainForm::showOpenedBlock() {
    for (int ch = 1; ch <= kChannels; ++ch) showChannelRow(ch, GridWriter::Open);
    setControlSetMode(SetData.Mode);
}

void TMainForm::copyControlsToBlock() {
    SetData.Mode = controlSetMode();
}

void TMainForm::drawSettingList(platform::TCanvas& canvas, const QDateTime& now) const {
    printSettingList(canvas, SetData, FileName, now);
}

}  // namespace kvb
