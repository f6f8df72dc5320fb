// TMainFormBase: start-up, the log, the caption, the Port menu, the edit panel, the grid,
// Clear, Default, the version box and Exit.
#include "ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "platform/guard.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/resultlog.h"

namespace kvui {

// ---- Start-up, log, caption, port ---------------------------------------------------

void TMainFormBase::FormCreate() {
    ClearResult();
    AddResult(QStringLiteral("Today:") + platform::dateAndTime(platform::currentDateTime()));
    AddResult(QStringLiteral("***** Initialize Start *****"));
    const bool production = productionMarkerPresent();
    AddResult(production ? QStringLiteral("Mode:Debug") : QStringLiteral("Mode:Proper"));
    Label14->setEnabled(production);
    Label14->setVisible(production);
    Limits = production ? model_.productionLimits : model_.normalLimits;
    Factory1->setEnabled(production);

    CurrentCh = 1;
    E_ChNo->setText(QString::asprintf("%2d", 1));
    FileName = QStringLiteral("noname.dat");
    showFileNameInCaption();
    SG_ChData->showHeadings(model_.gridHeadings);
    Default1Click();

    selectPort(1);
    // A short or unreadable port file ends the start-up here; the window opens on port 1.
    platform::guarded(this, [this] {
        readPortFile();
        AddResult(QStringLiteral("PortNo:") + QString::number(CommX1->PortNo()));
        AddResult(QStringLiteral("***** Initialize Finished *****"));
    });
}

void TMainFormBase::AddResult(const QString& text) {
    LB_Result->AddResult(text);
}

void TMainFormBase::ClearResult() {
    LB_Result->ClearResult();
}

QString TMainFormBase::cellText(int row, int column) const {
    return SG_ChData->cellText(row, column);
}

void TMainFormBase::showFileNameInCaption() {
    setWindowTitle(model_.captionPrefix + FileName);
}

bool TMainFormBase::productionMarkerPresent() const {
    return kvcore::productionMarkerPresent(model_);
}

void TMainFormBase::readPortFile() {
    if (const std::optional<int32_t> port = kvcore::readPortFile(model_)) {
        CommX1->setPortNo(*port);
        markPort(*port);
    }
}

void TMainFormBase::selectPort(int port) {
    // Moving the port under a running transfer would close and reopen it mid-exchange.
    if (runner_.busy()) {
        markPort(CommX1->PortNo());
        platform::errorBox(kvcore::CommandRunner::refusal(), this);
        return;
    }
    markPort(port);
    platform::guarded(this, [this, port] { CommX1->setPortNo(port); });
}

void TMainFormBase::markPort(int port) {
    N11->setChecked(port == 1);
    N21->setChecked(port == 2);
    N31->setChecked(port == 3);
    N41->setChecked(port == 4);
}

void TMainFormBase::Version1Click() {
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) return;
    platform::showMessage({platform::MsgKind::Plain,
                           model_.versionBoxTitle + QStringLiteral("\r\r Version : ") + version,
                           platform::MsgButtons::Ok,
                           {}},
                          this);
}

void TMainFormBase::Exit1Click() {
    close();
}

// ---- Edit panel, grid, defaults ----------------------------------------------------

QList<QWidget*> TMainFormBase::editControls() const {
    QList<QWidget*> controls{E_RxFrq, E_TxFrq};
    for (QComboBox* box : channelBoxes()) controls << box;
    return controls;
}

void TMainFormBase::setEditFieldsColour(const QColor& colour) {
    for (QWidget* w : editControls()) setBackground(w, colour);
}

void TMainFormBase::clearEditPanel() {
    E_RxFrq->clear();
    E_TxFrq->clear();
    for (QComboBox* box : channelBoxes()) box->setCurrentIndex(-1);
}

void TMainFormBase::loadEditPanel(int ch) {
    setEditFieldsColour(Qt::white);
    E_ChNo->setText(QString::asprintf("%2d", ch));
    const PanelValues v = panelValues(ch);
    E_RxFrq->setText(v.rx != 0 ? kvcore::frqText(v.rx) : QString());
    E_TxFrq->setText(v.tx != 0 ? kvcore::frqText(v.tx) : QString());
    const QList<QComboBox*> boxes = channelBoxes();
    for (qsizetype i = 0; i < boxes.size(); ++i) setComboIndex(boxes[i], v.indexes.value(i, -1));
}

bool TMainFormBase::checkEditPanel(double& rx, double& tx) {
    setEditFieldsColour(Qt::white);
    rx = kvcore::StrToFrq(E_RxFrq->text());
    tx = kvcore::StrToFrq(E_TxFrq->text());
    // Every field is checked, so all faulty ones turn red at once.
    bool ok = true;
    auto check = [&ok](QWidget* w, bool good) {
        if (!good) {
            setBackground(w, Qt::red);
            ok = false;
        }
    };
    check(E_RxFrq, kvcore::withinLimits(rx, Limits.RxFrqMin, Limits.RxFrqMax));
    check(E_TxFrq, kvcore::withinLimits(tx, Limits.TxFrqMin, Limits.TxFrqMax));
    for (QComboBox* box : channelBoxes()) check(box, box->currentIndex() >= 0);
    return ok;
}

void TMainFormBase::SG_ChDataClick() {
    const int r = SG_ChData->currentRow() + 1;
    if (r < 1 || r > kvcore::kChannels) return;
    CurrentCh = r;
    loadEditPanel(r);
}

void TMainFormBase::B_ClearClick() {
    if (CurrentCh < 1 || CurrentCh > kvcore::kChannels) return;
    setEditFieldsColour(Qt::white);
    clearChannel(CurrentCh);
    SG_ChData->clearRow(CurrentCh);
    clearEditPanel();
    AddResult(QStringLiteral("Data Clear [Ch:") + QString::number(CurrentCh) + QStringLiteral("]"));
}

void TMainFormBase::Default1Click() {
    SG_ChData->clearAll();
    CurrentCh = 1;
    E_ChNo->setText(QString::asprintf("%2d", 1));
    clearEditPanel();
    setEditFieldsColour(QApplication::palette().color(QPalette::Base));
    applyDefaults();
    AddResult(QStringLiteral("Default Set"));
}

}  // namespace kvui
