// File menu of the main window: settings files hold the raw 824-byte settings block.
#include <QFileInfo>
#include <cstring>

#include "model_a/main.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/msgbox.h"

namespace kva {
namespace {

bool isExistingFile(const QString& name) {
    const QFileInfo info(name);
    return info.exists() && !info.isDir();
}

}  // namespace

void TMainForm::OPEN1Click() {
    platform::guarded(this, [this] {
        if (!OpenDialog1->Execute()) return;
        const QString chosen = OpenDialog1->FileName;
        if (isExistingFile(chosen)) {
            FileName = chosen;
            showFileNameInCaption();
            Default1Click();
            // Read into a copy: a short or unreadable file leaves the block at the defaults
            // the window shows, so a later Save or Print cannot carry hidden half-read data.
            TSetData loaded{};
            platform::readBlock(FileName, &loaded, sizeof loaded);
            std::memcpy(&SetData, &loaded, sizeof SetData);  // gaps included
            AddResult(QStringLiteral("File Open [ ") + FileName + QStringLiteral(" ]"));
            for (int ch = 1; ch <= kChannels; ++ch) showChannelRow(ch, GridWriter::FileOpen);
            setControlSetMode(SetData.Mode);
        }
        SG_ChDataClick();
    });
}

void TMainForm::SaveAs1Click() {
    platform::guarded(this, [this] {
        if (!SaveDialog1->Execute()) return;
        FileName = SaveDialog1->FileName;
        if (isExistingFile(FileName) &&
            !platform::confirmBox(QStringLiteral("A file exists.\rDo you replace it?"), this))
            return;
        SetData.Mode = controlSetMode();
        // Written whole to a temporary file first: a failed write keeps the old file.
        platform::writeBlock(FileName, &SetData, sizeof SetData);
        showFileNameInCaption();
        AddResult(QStringLiteral("File SaveAs [ ") + FileName + QStringLiteral(" ]"));
    });
}

void TMainForm::Save1Click() {
    platform::guarded(this, [this] {
        if (!platform::confirmBox(QStringLiteral("\rDo you replace it?"), this)) return;
        SetData.Mode = controlSetMode();
        platform::writeBlock(FileName, &SetData, sizeof SetData);
        AddResult(QStringLiteral("File Save [ ") + FileName + QStringLiteral(" ]"));
    });
}

}  // namespace kva
