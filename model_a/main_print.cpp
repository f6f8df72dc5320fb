// Printing the setting list on the current printer, and the printer setup.
#include <QDateTime>

#include "model_a/main.h"
#include "model_a/printlist.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/guard.h"

namespace kva {

void TMainForm::Print1Click() {
    platform::guarded(this, [this] {
        AddResult(QStringLiteral("***** Print Start *****"));
        // The page shows the set-mode values as the controls hold them now.
        SetData.Mode = controlSetMode();
        platform::TPrinterCanvas canvas(platform::currentPrinter());
        printSettingList(canvas, SetData, FileName, QDateTime::currentDateTime());
        AddResult(QStringLiteral("***** Print Finished *****"));
    });
}

void TMainForm::PrinterSet1Click() {
    platform::guarded(this, [this] { PrinterSetupDialog1->Execute(); });
}

}  // namespace kva
