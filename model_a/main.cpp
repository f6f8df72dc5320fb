// TMainForm of kvprog_a: Set, the set-mode controls, the service windows, and the hooks
// the shared main window asks of the KV417R's table.
#include "model_a/main.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <cstring>
#include <memory>

#include "model_a/settings.h"
#include "model_a/sub1.h"
#include "model_a/sub2.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"

namespace kva {

using kvui::setComboIndex;

QList<QComboBox*> TMainForm::channelBoxes() const {
    return {CB_Power, CB_BR, CB_DA, CB_MBR, CB_SQL};
}

TMainForm::PanelValues TMainForm::panelValues(int ch) const {
    const TChData& c = SetData.Ch[ch - 1];
    return {c.RxFrq, c.TxFrq, {c.Power, c.BR, c.DA, c.MBR, c.SQL}};
}

void TMainForm::showChannelRow(int ch, GridWriter writer) {
    const auto texts = gridTexts(SetData.Ch[ch - 1], writer);
    SG_ChData->setRow(ch, QStringList(texts.begin(), texts.end()));
}

void TMainForm::B_SetClick() {
    if (CurrentCh < 1 || CurrentCh > kChannels) return;
    double rx = 0;
    double tx = 0;
    if (!checkEditPanel(rx, tx)) return;

    const TChData c =
        storedChannel(rx, tx,
                      {CB_Power->currentIndex(), CB_BR->currentIndex(), CB_DA->currentIndex(),
                       CB_MBR->currentIndex(), CB_SQL->currentIndex()});
    assignChannel(SetData.Ch[CurrentCh - 1], c);  // a loaded file's gap bytes stay
    showChannelRow(CurrentCh, GridWriter::Set);
    AddResult(QStringLiteral("Data Set [Ch:") + QString::number(CurrentCh) + QStringLiteral("]"));
}

void TMainForm::clearChannel(int ch) {
    SetData.Ch[ch - 1] = emptyChannel();
}

void TMainForm::applyDefaults() {
    setControlSetMode(defaultSetMode());
    // Byte copies keep the block's gaps as they are (files store them).
    const TSetData defaults = defaultSetData();
    std::memcpy(&SetData, &defaults, sizeof SetData);
}

TSetMode TMainForm::controlSetMode() const {
    return {RG_Data->ItemIndex(), RG_Busy->ItemIndex(),   RG_FSQC->ItemIndex(),
            RG_EXT->ItemIndex(),  RG_VCO->ItemIndex(),    RG_SB->ItemIndex(),
            RG_SP->ItemIndex(),   RG_ST->ItemIndex(),     RG_SD->ItemIndex(),
            RG_RMT->ItemIndex(),  CB_Tot->currentIndex(), CB_Save->currentIndex(),
            CB_SL->currentIndex()};
}

void TMainForm::setControlSetMode(const TSetMode& stored) {
    const TSetMode m = shownSetMode(stored);
    RG_Data->setItemIndex(m.Data);
    RG_Busy->setItemIndex(m.Busy);
    RG_FSQC->setItemIndex(m.FSQC);
    RG_EXT->setItemIndex(m.EXT);
    RG_VCO->setItemIndex(m.VCO);
    RG_SB->setItemIndex(m.SB);
    RG_SP->setItemIndex(m.SP);
    RG_ST->setItemIndex(m.ST);
    RG_SD->setItemIndex(m.SD);
    RG_RMT->setItemIndex(m.RMT);
    setComboIndex(CB_Tot, m.Tot);
    setComboIndex(CB_Save, m.Save);
    setComboIndex(CB_SL, m.SL);
}

// Edit > Factory and COM > CH SET: a new service window each time, shown modally on the
// main window's port component.
namespace {
template <typename Form>
void showServiceWindow(TMainForm* owner, TCommX* comm) {
    const std::unique_ptr<Form> form(new Form(owner, comm));
    form->exec();
}
}  // namespace

void TMainForm::Factory1Click() {
    if (Factory1->isEnabled() && mayOpenServiceWindow()) showServiceWindow<TSubForm1>(this, CommX1);
}

void TMainForm::CHSET1Click() {
    if (mayOpenServiceWindow()) showServiceWindow<TSubForm2>(this, CommX1);
}

}  // namespace kva
