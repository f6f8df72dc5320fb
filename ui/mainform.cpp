// TMainFormBase: the handlers both tools' main windows share.
#include "ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "core/portsession.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/resultlog.h"

namespace kvui {

using kvcore::LinkResult;
using kvcore::MemoryImage;

namespace {

bool isExistingFile(const QString& name) {
    const QFileInfo info(name);
    return info.exists() && !info.isDir();
}

}  // namespace

// ---- Start-up, log, caption, port ---------------------------------------------------

void TMainFormBase::FormCreate() {
    ClearResult();
    const QDateTime now = QDateTime::currentDateTime();
    AddResult(QStringLiteral("Today:") + platform::shortDate(now.date()) + QStringLiteral("  ") +
              platform::longTime(now.time()));
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
    check(E_RxFrq, rx >= Limits.RxFrqMin && rx <= Limits.RxFrqMax);
    check(E_TxFrq, tx >= Limits.TxFrqMin && tx <= Limits.TxFrqMax);
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

// ---- Settings files and printing ---------------------------------------------------

void TMainFormBase::OPEN1Click() {
    platform::guarded(this, [this] {
        if (!OpenDialog1->Execute()) return;
        const QString chosen = OpenDialog1->FileName;
        if (isExistingFile(chosen)) {
            FileName = chosen;
            showFileNameInCaption();
            Default1Click();
            // Read aside: a short or unreadable file leaves the block at the defaults the
            // window shows, so a later Save or Print cannot carry hidden half-read data.
            QByteArray block(settingsBlock().size(), '\0');
            platform::readBlock(FileName, block.data(), block.size());
            takeSettingsBlock(block);  // gaps included
            AddResult(QStringLiteral("File Open [ ") + FileName + QStringLiteral(" ]"));
            showOpenedBlock();
        }
        SG_ChDataClick();
    });
}

void TMainFormBase::SaveAs1Click() {
    platform::guarded(this, [this] {
        if (!SaveDialog1->Execute()) return;
        FileName = SaveDialog1->FileName;
        if (isExistingFile(FileName) &&
            !platform::confirmBox(QStringLiteral("A file exists.\rDo you replace it?"), this))
            return;
        copyControlsToBlock();
        // Written whole to a temporary file first: a failed write keeps the old file.
        const QByteArray block = settingsBlock();
        platform::writeBlock(FileName, block.constData(), block.size());
        showFileNameInCaption();
        AddResult(QStringLiteral("File SaveAs [ ") + FileName + QStringLiteral(" ]"));
    });
}

void TMainFormBase::Save1Click() {
    platform::guarded(this, [this] {
        if (!platform::confirmBox(QStringLiteral("\rDo you replace it?"), this)) return;
        copyControlsToBlock();
        const QByteArray block = settingsBlock();
        platform::writeBlock(FileName, block.constData(), block.size());
        AddResult(QStringLiteral("File Save [ ") + FileName + QStringLiteral(" ]"));
    });
}

void TMainFormBase::Print1Click() {
    platform::guarded(this, [this] {
        AddResult(QStringLiteral("***** Print Start *****"));
        // The page shows the set-mode values as the controls hold them now.
        copyControlsToBlock();
        platform::TPrinterCanvas canvas(platform::currentPrinter());
        drawSettingList(canvas, QDateTime::currentDateTime());
        AddResult(QStringLiteral("***** Print Finished *****"));
    });
}

void TMainFormBase::PrinterSet1Click() {
    platform::guarded(this, [this] { PrinterSetupDialog1->Execute(); });
}

// ---- Receive and Transmit ------------------------------------------------------------

void TMainFormBase::reportCommError(LinkResult result) {
    AddResult(kvcore::commErrorLogLine(result));
    platform::errorBox(kvcore::commErrorMessage(result), this);
}

void TMainFormBase::showReceiveProgress(int percent) {
    AddResult(kvcore::progressLine(percent, QStringLiteral("Receive")));
}

void TMainFormBase::ReceivePCKV1Click() {
    runModemCommand([this] {
        Default1Click();
        AddResult(QStringLiteral("***** Receive Start *****"));
        MemoryImage image{};
        const std::unique_ptr<kvcore::MemoryProgrammer> modem = programmer();
        {
            kvcore::PortSession session(*CommX1);
            const LinkResult r =
                modem->readMemory(image, [this](int percent) { showReceiveProgress(percent); });
            if (r != LinkResult::Ok) {
                reportCommError(r);
                return;
            }
        }
        if (!modem->hasFormatMark(image)) {
            AddResult(QStringLiteral("***** EEPROM Error!! *****"));
            platform::errorBox(QStringLiteral("EEPROM Initialization Error!!"), this);
            return;
        }
        showMemory(image);
        AddResult(QStringLiteral("***** Receive Finished *****"));
    });
}

void TMainFormBase::TransmitPCKV1Click() {
    runModemCommand([this] {
        if (const QString error = firstSettingError(); !error.isEmpty()) {
            AddResult(QStringLiteral("***** Setting Error!! *****"));
            platform::errorBox(error, this);
            return;
        }
        const MemoryImage image = writeImage();
        const std::unique_ptr<kvcore::MemoryProgrammer> modem = programmer();
        MemoryImage readBack{};
        AddResult(QStringLiteral("***** Transmit Start *****"));
        {
            kvcore::PortSession session(*CommX1);
            LinkResult r = modem->writeTable(image, [this](int percent) {
                AddResult(kvcore::progressLine(percent, QStringLiteral("Write")));
            });
            if (r != LinkResult::Ok) {
                reportCommError(r);
                return;
            }
            AddResult(QStringLiteral("***** Transmit Finished *****"));
            AddResult(QStringLiteral("***** Data Compare Start *****"));
            r = modem->readMemory(readBack, [this](int percent) { showReceiveProgress(percent); });
            if (r != LinkResult::Ok) {
                reportCommError(r);
                return;
            }
        }
        if (!modem->sameWrittenBytes(image, readBack)) {
            AddResult(QStringLiteral("***** Data Compare NG!! *****"));
            platform::errorBox(QStringLiteral("Data Write NG!!"), this);
            return;
        }
        AddResult(QStringLiteral("***** Data Compare Finish *****"));
        platform::infoBox(QStringLiteral("Data Write OK!!"), this);
    });
}

// ---- One command at a time -----------------------------------------------------------

void TMainFormBase::runModemCommand(const std::function<void()>& command) {
    runner_.run(command);
}

bool TMainFormBase::mayOpenServiceWindow() {
    // A service window would only fight the running transfer for the port.
    if (!runner_.busy()) return true;
    platform::errorBox(kvcore::CommandRunner::refusal(), this);
    return false;
}

void TMainFormBase::closeEvent(QCloseEvent* event) {
    // The transfer's handler is still on the stack: close once it has ended.
    if (runner_.deferClose(
            [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); })) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kvui
