#include "platform/commandlock.h"

#include <QSet>

#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace platform {
namespace {
QSet<const QObject*>& busy() {
    static QSet<const QObject*> set;  // UI thread only
    return set;
}
}  // namespace

CommandLock::CommandLock(const QObject* comm) : comm_(comm), acquired_(!busy().contains(comm)) {
    if (acquired_) busy().insert(comm);
}

CommandLock::~CommandLock() {
    if (acquired_) busy().remove(comm_);
}

bool CommandLock::isBusy(const QObject* comm) {
    return busy().contains(comm);
}

QString CommandLock::refusal() {
    return QStringLiteral("A port has already been opened.");
}

void runExclusive(QWidget* parent, const QObject* comm, const std::function<void()>& command) {
    guarded(parent, [&] {
        const CommandLock lock(comm);
        if (!lock.acquired()) {
            errorBox(CommandLock::refusal(), parent);
            return;
        }
        command();
    });
}

PortSession::PortSession(TCustomCommX& comm) : comm_(comm) {
    comm_.Open();
}

PortSession::~PortSession() {
    close();
}

void PortSession::close() {
    if (!open_) return;
    open_ = false;
    comm_.Close();  // never throws: it only stops what Open started
}

}  // namespace platform
