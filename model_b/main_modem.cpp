// TMainForm of kvprog_b, COM > Receive and COM > Transmit: the modem's memory into the
// window, the checks before a write, and the window into the image a write sends.
#include <QComboBox>

#include "model_b/main.h"
#include "model_b/programmer.h"
#include "model_b/settings.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"

namespace kvb {

std::unique_ptr<kvcore::MemoryProgrammer> TMainForm::programmer() {
    return std::make_unique<Programmer>(*CommX1);
}

void TMainForm::showMemory(const MemoryImage& image) {
    const TSetData received = receivedBlock(image);
    for (int ch = 1; ch <= kChannels; ++ch) assignChannel(SetData.Ch[ch - 1], received.Ch[ch - 1]);
    // An unused channel gets six empty cells.
    for (int ch = 1; ch <= kChannels; ++ch) showChannelRow(ch, GridWriter::Receive);
    setControlSetMode(received.Mode);
    CurrentCh = 1;
    loadEditPanel(1);
}

QString TMainForm::firstSettingError() const {
    return kvb::firstSettingError(SetData, controlSetMode(), productionMarkerPresent());
}

MemoryImage TMainForm::writeImage() const {
    return kvb::writeImage(SetData, controlSetMode(), Today());
}

}  // namespace kvb
