// TMainFormBase, the COM menu: Receive and Transmit through the model's programmer, one
// modem command at a time, each traced and each memory it reads kept; Save Trace; and the
// close that waits for a running command.
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>
#include <utility>

#include "core/backup.h"
#include "core/portsession.h"
#include "core/trace.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/mainform.h"
#include "ui/resultlog.h"

namespace kvui {

using kvcore::LinkResult;
using kvcore::MemoryImage;

namespace {

// Menu items greyed for as long as it lives.
class ItemsOutOfReach {
  public:
    explicit ItemsOutOfReach(QList<QAction*> items) : items_(std::move(items)) {
        for (QAction* item : items_) item->setEnabled(false);
    }
    ~ItemsOutOfReach() {
        for (QAction* item : items_) item->setEnabled(true);
    }
    ItemsOutOfReach(const ItemsOutOfReach&) = delete;
    ItemsOutOfReach& operator=(const ItemsOutOfReach&) = delete;

  private:
    QList<QAction*> items_;
};

}  // namespace

void TMainFormBase::reportCommError(LinkResult result) {
    AddResult(kvcore::commErrorLogLine(result));
    failureBox(kvcore::commErrorMessage(result));
}

void TMainFormBase::failureBox(const QString& text) {
    if (kvcore::ProtocolTrace* trace = runner_.trace()) trace->failed(text);
    platform::errorBox(text, this);
}

void TMainFormBase::successBox(const QString& text) {
    if (kvcore::ProtocolTrace* trace = runner_.trace()) trace->succeeded(text);
    platform::infoBox(text, this);
}

void TMainFormBase::showReceiveProgress(int percent) {
    AddResult(kvcore::progressLine(percent, QStringLiteral("Receive")));
}

struct TMainFormBase::WindowState {
    QByteArray block;
    QByteArray controls;  // the block with the set-mode controls copied in
    QList<QStringList> rows;
    int gridRow;
    int currentCh;
    QStringList panelTexts;  // E_ChNo, E_RxFrq, E_TxFrq
    QList<int> boxIndexes;
    QList<QPalette> colours;  // of the edit controls, red marks included
};

TMainFormBase::WindowState TMainFormBase::saveWindowState() {
    WindowState s;
    s.block = settingsBlock();
    // The set-mode controls travel as the block's set-mode copy, the way files carry them;
    // the block itself keeps the copy it had.
    copyControlsToBlock();
    s.controls = settingsBlock();
    takeSettingsBlock(s.block);
    for (int ch = 1; ch <= kvcore::kChannels; ++ch) s.rows << SG_ChData->rowTexts(ch);
    s.gridRow = SG_ChData->currentRow();
    s.currentCh = CurrentCh;
    s.panelTexts = QStringList{E_ChNo->text(), E_RxFrq->text(), E_TxFrq->text()};
    for (const QComboBox* box : channelBoxes()) s.boxIndexes << box->currentIndex();
    for (const QWidget* w : editControls()) s.colours << w->palette();
    return s;
}

void TMainFormBase::restoreWindowState(const WindowState& s) {
    takeSettingsBlock(s.controls);
    showOpenedBlock();  // the set-mode controls; the rows it draws are replaced below
    takeSettingsBlock(s.block);
    for (int ch = 1; ch <= kvcore::kChannels; ++ch) SG_ChData->setRow(ch, s.rows[ch - 1]);
    {
        // Moving the selection back must not load the panel from the table.
        const QSignalBlocker quiet(SG_ChData);
        SG_ChData->setCurrentCell(s.gridRow, 0);
    }
    CurrentCh = s.currentCh;
    E_ChNo->setText(s.panelTexts[0]);
    E_RxFrq->setText(s.panelTexts[1]);
    E_TxFrq->setText(s.panelTexts[2]);
    const QList<QComboBox*> boxes = channelBoxes();
    for (qsizetype i = 0; i < boxes.size(); ++i) boxes[i]->setCurrentIndex(s.boxIndexes[i]);
    const QList<QWidget*> controls = editControls();
    for (qsizetype i = 0; i < controls.size(); ++i) controls[i]->setPalette(s.colours[i]);
}

void TMainFormBase::ReceivePCKV1Click() {
    runModemCommand(QStringLiteral("Receive"), [this] {
        // The window shows the defaults while the modem is read; a read that fails gives
        // back everything the user had, unsaved edits included. The defaults are no one's
        // table, so nothing saves or prints them meanwhile.
        const WindowState before = saveWindowState();
        const ItemsOutOfReach placeholder({Save1, Print1});
        const auto giveBack = [&] {
            restoreWindowState(before);
            AddResult(QStringLiteral("Previous Data Restored"));
        };
        try {
            if (receiveMemory()) return;
        } catch (...) {
            giveBack();  // a port that cannot be opened; its error box follows
            throw;
        }
        giveBack();
    });
}

bool TMainFormBase::receiveMemory() {
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
            return false;
        }
    }
    // Kept whatever it holds: an erased memory tells as much as a table.
    kvcore::keepBackup(model_.settingsModel, kvcore::ImageKind::Read, image);
    if (!modem->hasFormatMark(image)) {
        AddResult(QStringLiteral("***** EEPROM Error!! *****"));
        failureBox(QStringLiteral("EEPROM Initialization Error!!"));
        return false;
    }
    showMemory(image);
    AddResult(QStringLiteral("***** Receive Finished *****"));
    return true;
}

void TMainFormBase::TransmitPCKV1Click() {
    runModemCommand(QStringLiteral("Transmit"), [this] {
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
        kvcore::keepBackup(model_.settingsModel, kvcore::ImageKind::WriteVerify, readBack);
        if (!modem->sameWrittenBytes(image, readBack)) {
            AddResult(QStringLiteral("***** Data Compare NG!! *****"));
            failureBox(QStringLiteral("Data Write NG!!"));
            return;
        }
        AddResult(QStringLiteral("***** Data Compare Finish *****"));
        successBox(QStringLiteral("Data Write OK!!"));
    });
}

void TMainFormBase::SaveTrace1Click() {
    platform::guarded(this, [this] {
        if (!traces_.hasLast()) {
            platform::infoBox(QStringLiteral("No modem command has run yet: there is no trace "
                                             "to save."),
                              this);
            return;
        }
        // Taken now: a command that ends while the dialog is open does not change what is
        // saved.
        const QByteArray text = traces_.lastText();
        platform::TSaveDialog dialog(this);
        dialog.Filter = QStringLiteral("Trace File[*.txt]|*.txt|All Files[*.*]|*.*");
        dialog.DefaultExt = QStringLiteral("txt");
        dialog.FileName = traces_.lastName();
        if (!dialog.Execute()) return;
        platform::writeBlock(dialog.FileName, text.constData(), text.size());
    });
}

// ---- One command at a time -----------------------------------------------------------

void TMainFormBase::runModemCommand(const QString& name, const std::function<void()>& command) {
    runner_.run(name, command);
}

void TMainFormBase::setEditingAvailable(bool available) {
    for (QAction* item : {OPEN1, SaveAs1, Default1}) item->setEnabled(available);
    if (available) {
        editing_.unlock();
        return;
    }
    // Everything in the window but the log and the titles: the grid and the groups that
    // hold the edit panel and the set-mode controls.
    QList<QWidget*> controls;
    for (QWidget* w : centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != LB_Result && !qobject_cast<QLabel*>(w)) controls << w;
    }
    editing_.lock(controls);
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
