#pragma once
// Reading and filling the kvprog_b main window in tests (only for tests that link its windows).
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "logtext.h"
#include "model_b/main.h"
#include "ui/resultlog.h"

namespace kvtest {

// Every line of the result log, oldest first.
inline QStringList logLines(const kvb::TMainForm& w) {
    return logLines(*w.LB_Result);
}

// Texts of grid columns 1 to 6 of channel `ch`.
inline QStringList rowTexts(const kvb::TMainForm& w, int ch) {
    QStringList texts;
    for (int c = 1; c <= 6; ++c) texts << w.cellText(ch, c);
    return texts;
}

// Types the two frequencies and picks the four list items of the edit panel (no Set).
inline void fillEditPanel(kvb::TMainForm& w, const QString& rx, const QString& tx, int power = 1,
                          int br = 1, int da = 1, int mbr = 0) {
    w.E_RxFrq->setText(rx);
    w.E_TxFrq->setText(tx);
    w.CB_Power->setCurrentIndex(power);
    w.CB_BR->setCurrentIndex(br);
    w.CB_DA->setCurrentIndex(da);
    w.CB_MBR->setCurrentIndex(mbr);
}

}  // namespace kvtest
