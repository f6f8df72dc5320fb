// TMainForm of kvprog_b, the File menu: settings files hold the raw 800-byte settings block.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "model_b/main.h"

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

void TMainForm::drawSettingList(platform::TCanvas&, const QDateTime&) const {
    // Not built yet: the printed setting list of the KV938R/935R/931R. File > Print stays
    // disabled until it is.
    throw std::runtime_error("The KV93*R setting list cannot be printed yet.");
}

}  // namespace kvb
