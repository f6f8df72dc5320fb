#include "platform/commandlock.h"

#include <QSet>

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

}  // namespace platform
