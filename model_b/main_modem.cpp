// TMainForm of kvprog_b, COM > Receive and COM > Transmit: the modem's memory into the
// window, the checks before a write, and the window into the image a write sends.
#include <QComboBox>

#include "model_b/main.h"
#include "model_b/programmer.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"

namespace kvb {

std::unique_ptr<kvcore::MemoryProgrammer> TMainForm::programmer() {
    return std::make_unique<Programmer>(*CommX1);
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
    const QString error = kvcore::firstSettingError(
        {{RG_Data->ItemIndex(), "Data/Audio Signal"},
         {RG_Busy->ItemIndex(), "Busy Signal"},
         {RG_FSQC->ItemIndex(), "FSQC"},
         {RG_SB->ItemIndex(), "SB"},
         {RG_SP->ItemIndex(), "SP"},
         {CB_Tot->currentIndex(), "Time Out Timer"},
         {CB_Save->currentIndex(), "Save Time"}},
        !productionMarkerPresent() && !kvcore::anyChannelWithBothFrequencies(SetData.Ch));
    if (!error.isEmpty()) return error;
    // A used channel from a settings file may hold a frequency no step divides or its code
    // cannot hold: it would go out as another frequency and still verify. The message names
    // the channel as the grid labels it.
    for (int ch = 1; ch <= kChannels; ++ch) {
        if (lacksCode(SetData.Ch[ch - 1]))
            return QStringLiteral("Setting Error!! [Frq. Data ") + kvui::ChannelGrid::rowLabel(ch) +
                   QStringLiteral("]");
    }
    return {};
}

MemoryImage TMainForm::writeImage() const {
    // A stored step stays where it codes its frequency; any other is derived from the
    // frequency, since it could code another frequency than the one the window shows.
    return encodeImage(withDerivedSteps(SetData), controlSetMode(), Today());
}

}  // namespace kvb
