// TMainForm of kvprog_a, COM > Receive and COM > Transmit: the KV417R's memory into the
// window, and the window into the image a write sends.
#include <QComboBox>
#include <cstring>

#include "model_a/main.h"
#include "model_a/programmer.h"
#include "model_a/settings.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"

namespace kva {

std::unique_ptr<kvcore::MemoryProgrammer> TMainForm::programmer() {
    return std::make_unique<Programmer>(*CommX1);
}

void TMainForm::showMemory(const MemoryImage& image) {
    const TSetData received = receivedBlock(image);
    std::memcpy(&SetData.Ch, &received.Ch, sizeof SetData.Ch);
    for (int k = 1; k <= kChannels; ++k) {
        if (SetData.Ch[k - 1].Used)
            showChannelRow(k, GridWriter::Read);
        else
            SG_ChData->clearRow(k);
    }
    setControlSetMode(received.Mode);
    loadEditPanel(1);
}

QString TMainForm::firstSettingError() const {
    return kva::firstSettingError(SetData, controlSetMode(), productionMarkerPresent());
}

MemoryImage TMainForm::writeImage() const {
    return kva::writeImage(SetData, controlSetMode());
}

}  // namespace kva
