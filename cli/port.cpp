#include "cli/port.h"

#include "cli/interrupt.h"
#include "cli/options.h"
#include "core/portsession.h"
#include "serial/CommX.h"

namespace kvctl {

PortTarget parsePort(const QString& text) {
    PortTarget t;
    if (text.contains(QLatin1Char('/'))) {
        t.path = text;
        return t;
    }
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1)
        throw UsageError(
            QStringLiteral("--port takes a port number from 1 or a device path, not '%1'")
                .arg(text)
                .toStdString());
    t.number = n;
    return t;
}

QString deviceOf(const QString& port) {
    try {
        const PortTarget target = parsePort(port);
        return target.path.isEmpty()
                   ? QString::fromStdString(TCustomCommX::DevicePath(target.number))
                   : target.path;
    } catch (const UsageError&) {
        return {};
    }
}

void aimPort(TCustomCommX& comm, const PortTarget& target) {
    kvcore::setModemLine(comm);
    if (target.path.isEmpty())
        comm.setPortNo(target.number);
    else
        comm.setDevice(target.path.toStdString());
}

void CountingChannel::sendPaced(uint8_t byte) {
    throwIfStopRequested();
    ++sent_;
    inner_.sendPaced(byte);
}

int CountingChannel::receiveReply() {
    throwIfStopRequested();
    const int byte = inner_.receiveReply();
    if (byte >= 0) ++received_;
    return byte;
}

}  // namespace kvctl
