// TMainForm of kvprog_a, COM > Receive and COM > Transmit: the KV417R's memory into the
// window, and the window into the image a write sends.
#include <QComboBox>

#include "model_a/main.h"
#include "model_a/programmer.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"

namespace kva {

std::unique_ptr<kvcore::MemoryProgrammer> TMainForm::programmer() {
    return std::make_unique<Programmer>(*CommX1);
}

void TMainForm::showMemory(const MemoryImage& image) {
    for (int k = 1; k <= kChannels; ++k) {
        SetData.Ch[k - 1] = decodeChannel(&image[recordAddress(k)]);
        if (SetData.Ch[k - 1].Used)
            showChannelRow(k, GridWriter::Read);
        else
            SG_ChData->clearRow(k);
    }
    setControlSetMode(decodeSetMode(image));
    loadEditPanel(1);
}

QString TMainForm::firstSettingError() const {
    // Production mode may write a table without any channel that has both frequencies.
    const QString error = kvcore::firstSettingError(
        {{RG_Data->ItemIndex(), "Data/Audio Signal"},
         {RG_Busy->ItemIndex(), "Busy Signal"},
         {RG_FSQC->ItemIndex(), "FSQC"},
         {RG_EXT->ItemIndex(), "EXT SQC"},
         {RG_VCO->ItemIndex(), "VCO"},
         {RG_SB->ItemIndex(), "Baud-Rate"},
         {RG_SP->ItemIndex(), "Parity"},
         {RG_ST->ItemIndex(), "Stop Bit"},
         {RG_SD->ItemIndex(), "DATA Len"},
         {RG_RMT->ItemIndex(), "Remote"},
         {CB_Tot->currentIndex(), "Time Out Timer"},
         {CB_Save->currentIndex(), "Save Time"},
         {CB_SL->currentIndex(), "Sleep"}},
        !productionMarkerPresent() && !kvcore::anyChannelWithBothFrequencies(SetData.Ch));
    if (!error.isEmpty()) return error;
    // A used channel's frequency the six BCD digits cannot hold would be written cut short
    // and still verify; the message names the channel as the grid labels it.
    for (int ch = 1; ch <= kChannels; ++ch) {
        const TChData& c = SetData.Ch[ch - 1];
        if (c.Used && !(frequencyFitsBcd(c.RxFrq) && frequencyFitsBcd(c.TxFrq)))
            return QStringLiteral("Setting Error!! [Frq. Data ") + kvui::ChannelGrid::rowLabel(ch) +
                   QStringLiteral("]");
    }
    return {};
}

MemoryImage TMainForm::writeImage() const {
    return buildWriteImage(SetData, controlSetMode());
}

}  // namespace kva
