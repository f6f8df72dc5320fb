// TMainFormBase, the COM menu: Receive and Transmit through the model's programmer, one
// modem command at a time, and the close that waits for a running command.
#include <QCloseEvent>

#include "core/portsession.h"
#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"
#include "ui/mainform.h"

namespace kvui {

using kvcore::LinkResult;
using kvcore::MemoryImage;

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
