#pragma once
// Reading the kvprog_a main window in tests (only for tests that link its windows).
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>

#include "logtext.h"
#include "model_a/main.h"
#include "ui/channelgrid.h"
#include "ui/resultlog.h"

namespace kvtest {

// Every line of the result log, oldest first.
inline QStringList logLines(const kva::TMainForm& w) {
    return logLines(*w.LB_Result);
}

// Types the two frequencies and picks the five list items of the edit panel (no Set).
inline void fillEditPanel(kva::TMainForm& w, const QString& rx, const QString& tx, int power = 2,
                          int br = 1, int da = 1, int mbr = 0, int sql = 4) {
    w.E_RxFrq->setText(rx);
    w.E_TxFrq->setText(tx);
    w.CB_Power->setCurrentIndex(power);
    w.CB_BR->setCurrentIndex(br);
    w.CB_DA->setCurrentIndex(da);
    w.CB_MBR->setCurrentIndex(mbr);
    w.CB_SQL->setCurrentIndex(sql);
}

}  // namespace kvtest
