// TMainForm of kvprog_b, COM > Receive and COM > Transmit: the modem's memory into the
// window, the checks before a write, and the window into the image a write sends.
#include <QComboBox>
#include <stdexcept>

#include "model_b/main.h"
#include "platform/radiogroup.h"
#include "ui/channelgrid.h"

namespace kvb {

std::unique_ptr<kvcore::MemoryProgrammer> TMainForm::programmer() {
    // Not built yet: the KV93x link and its exchanges. Receive and Transmit stay disabled
    // until they are.
    throw std::runtime_error("The KV93x link is not available yet.");
}

void TMainForm::showMemory(const MemoryImage& image) {
    const TSetMode mode = decodeImage(image, SetData);
    // An unused channel gets six empty cells.
    for (int ch = 1; ch <= kChannels; ++ch) showChannelRow(ch, GridWriter::Receive);
    setControlSetMode(mode);
    CurrentCh = 1;
    loadEditPanel(1);
}

QString TMainForm::firstSettingError() const {
    // Production mode may write a table without any channel that has both frequencies.
    return kvcore::firstSettingError(
        {{RG_Data->ItemIndex(), "Data/Audio Signal"},
         {RG_Busy->ItemIndex(), "Busy Signal"},
         {RG_FSQC->ItemIndex(), "FSQC"},
         {RG_SB->ItemIndex(), "SB"},
         {RG_SP->ItemIndex(), "SP"},
         {CB_Tot->currentIndex(), "Time Out Timer"},
         {CB_Save->currentIndex(), "Save Time"}},
        !productionMarkerPresent() && !kvcore::anyChannelWithBothFrequencies(SetData.Ch));
}

MemoryImage TMainForm::writeImage() const {
    // Steps come from the frequencies as Set derives them: a step a file brought could
    // code another frequency than the one the window shows.
    return encodeImage(withDerivedSteps(SetData), controlSetMode(), Today());
}

}  // namespace kvb
