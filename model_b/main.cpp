// TMainForm of kvprog_b: Set with the reference-step check and its log line, the set-mode
// controls, the Port marks, the factory item, and the hooks the shared main window asks of
// the KV938R/935R/931R's table.
#include "model_b/main.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <memory>
#include <utility>

#include "model_b/settings.h"
#include "model_b/sub1.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"

namespace kvb {

using kvui::setComboIndex;

QList<QComboBox*> TMainForm::channelBoxes() const {
    return {CB_Power, CB_BR, CB_DA, CB_MBR};
}

TMainForm::PanelValues TMainForm::panelValues(int ch) const {
    const TChData& c = SetData.Ch[ch - 1];
    return {c.RxFrq, c.TxFrq, {c.Power, c.BR, c.DA, c.MBR}};
}

void TMainForm::showChannelRow(int ch, GridWriter writer) {
    const auto texts = gridTexts(SetData.Ch[ch - 1], writer);
    SG_ChData->setRow(ch, QStringList(texts.begin(), texts.end()));
}

void TMainForm::B_SetClick() {
    if (CurrentCh < 1 || CurrentCh > kChannels) return;
    double rx = 0;
    double tx = 0;
    bool ok = checkEditPanel(rx, tx);
    // Set's rule for a frequency adds a step that divides it to the limits checked above.
    const bool rxOk = setAcceptsFrequency(rx, Limits.RxFrqMin, Limits.RxFrqMax);
    const bool txOk = setAcceptsFrequency(tx, Limits.TxFrqMin, Limits.TxFrqMax);
    for (const auto& [box, good] : {std::pair{E_RxFrq, rxOk}, std::pair{E_TxFrq, txOk}}) {
        if (!good) {
            kvui::setBackground(box, Qt::red);
            ok = false;
        }
    }
    if (!ok) return;

    const TChData c = storedChannel(rx, tx,
                                    {CB_Power->currentIndex(), CB_BR->currentIndex(),
                                     CB_DA->currentIndex(), CB_MBR->currentIndex()});
    assignChannel(SetData.Ch[CurrentCh - 1], c);  // a loaded file's gap bytes stay
    showChannelRow(CurrentCh, GridWriter::Set);
    AddResult(QStringLiteral("Data Set [Ch:") + QString::number(CurrentCh) + QStringLiteral("]  ") +
              rxRefText(c.RxRef) + QStringLiteral("  ") + txRefText(c.TxRef));
}

void TMainForm::clearChannel(int ch) {
    assignChannel(SetData.Ch[ch - 1], emptyChannel());
}

void TMainForm::applyDefaults() {
    setControlSetMode(defaultSetMode());
    setDefaults(SetData);
}

TSetMode TMainForm::controlSetMode() const {
    return {RG_Data->ItemIndex(),   RG_Busy->ItemIndex(), RG_FSQC->ItemIndex(),
            RG_SB->ItemIndex(),     RG_SP->ItemIndex(),   CB_Tot->currentIndex(),
            CB_Save->currentIndex()};
}

void TMainForm::setControlSetMode(const TSetMode& stored) {
    const TSetMode m = shownSetMode(stored);
    RG_Data->setItemIndex(m.Data);
    RG_Busy->setItemIndex(m.Busy);
    RG_FSQC->setItemIndex(m.FSQC);
    RG_SB->setItemIndex(m.SB);
    RG_SP->setItemIndex(m.SP);
    setComboIndex(CB_Tot, m.Tot);
    setComboIndex(CB_Save, m.Save);
}

void TMainForm::markPort(int port) {
    QAction* const items[] = {N11, N21, N31, N41};
    for (int k = 1; k <= 4; ++k) {
        const QString caption = QStringLiteral("&%1").arg(k);
        items[k - 1]->setText(k == port ? QStringLiteral("[%1]").arg(caption) : caption);
    }
}

void TMainForm::Factory1Click() {
    if (!Factory1->isEnabled() || !mayOpenServiceWindow()) return;
    // A new window each time, so every opening starts from the initial texts.
    const auto form = std::make_unique<TForm1>(this, CommX1);
    form->exec();
}

}  // namespace kvb
