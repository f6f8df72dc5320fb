#include "core/tracestore.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QtGlobal>
#include <utility>

#include "core/trace.h"
#include "platform/files.h"

namespace kvcore {
namespace {

// The windows' UI thread alone registers and looks up stores.
QHash<const QObject*, TraceStore*>& stores() {
    static QHash<const QObject*, TraceStore*> map;
    return map;
}

}  // namespace

TraceStore::TraceStore(const QObject* port, QString tool, QString folder)
    : port_(port), tool_(std::move(tool)), folder_(std::move(folder)) {
    stores().insert(port_, this);
}

TraceStore::~TraceStore() {
    if (stores().value(port_) == this) stores().remove(port_);
}

QString TraceStore::defaultFolder() {
    // Qt 6.4 knows no state location. A relative XDG_STATE_HOME is to be ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kvprog/traces");
}

QString traceFileStem(const ProtocolTrace& trace) {
    QString command = trace.command();
    command.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    return trace.tool() + QLatin1Char('_') +
           trace.started().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QLatin1Char('_') +
           command;
}

QString TraceStore::keep(const ProtocolTrace& trace) {
    last_ = trace.text();
    lastName_ = traceFileStem(trace) + QStringLiteral(".txt");
    try {
        const QString path =
            platform::writeNewFile(folder_, traceFileStem(trace), QStringLiteral(".txt"), last_);
        lastName_ = QDir(folder_).relativeFilePath(path);
        platform::pruneFiles(folder_,
                             QRegularExpression::escape(tool_) +
                                 QStringLiteral("_\\d{8}-\\d{6}-\\d{3}_[A-Za-z0-9-]*\\.txt"),
                             kKept);
        return path;
    } catch (const platform::EFileError& e) {
        qWarning("%s: trace not kept in %s: %s", qPrintable(tool_), qPrintable(folder_), e.what());
        return {};
    }
}

TraceStore* traceStoreOf(const QObject* port) {
    return stores().value(port);
}

}  // namespace kvcore
