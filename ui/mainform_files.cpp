// TMainFormBase, the File menu: settings files hold the model's raw settings block, and the
// printed setting list shows it.
#include <QDateTime>
#include <QFileInfo>

#include "platform/printercanvas.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"
#include "ui/mainform.h"

namespace kvui {
namespace {

bool isExistingFile(const QString& name) {
    const QFileInfo info(name);
    return info.exists() && !info.isDir();
}

}  // namespace

void TMainFormBase::OPEN1Click() {
    platform::guarded(this, [this] {
        if (!OpenDialog1->Execute()) return;
        const QString chosen = OpenDialog1->FileName;
        if (isExistingFile(chosen)) {
            // Read before anything changes: a file that cannot be read leaves the window,
            // FileName and the caption as they were, so a later Save cannot overwrite it.
            QByteArray block(settingsBlock().size(), '\0');
            const qint64 length = platform::readBlock(chosen, block.data(), block.size());
            if (length > block.size() && !platform::confirmBox(longFileQuestion(length), this))
                return;
            FileName = chosen;
            showFileNameInCaption();
            Default1Click();
            takeSettingsBlock(block);  // gaps included
            AddResult(QStringLiteral("File Open [ ") + FileName + QStringLiteral(" ]"));
            showOpenedBlock();
        }
        SG_ChDataClick();
    });
}

QString TMainFormBase::longFileQuestion(qint64 length) const {
    return QStringLiteral(
               "This file is %1 bytes long; %2 settings files are %3 bytes.\r"
               "Open it anyway?")
        .arg(length)
        .arg(model_.settingsModel)
        .arg(settingsBlock().size());
}

void TMainFormBase::SaveAs1Click() {
    platform::guarded(this, [this] {
        if (!SaveDialog1->Execute()) return;
        // The name becomes the window's only once the file is written: after No or a failed
        // write, the next Save still goes to the old file.
        const QString chosen = SaveDialog1->FileName;
        if (isExistingFile(chosen) &&
            !platform::confirmBox(QStringLiteral("A file exists.\rDo you replace it?"), this))
            return;
        copyControlsToBlock();
        // Written whole to a temporary file first: a failed write keeps the old file.
        const QByteArray block = settingsBlock();
        platform::writeBlock(chosen, block.constData(), block.size());
        FileName = chosen;
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
        drawSettingList(canvas, platform::currentDateTime());
        AddResult(QStringLiteral("***** Print Finished *****"));
    });
}

void TMainFormBase::PrinterSet1Click() {
    platform::guarded(this, [this] { PrinterSetupDialog1->Execute(); });
}

}  // namespace kvui
