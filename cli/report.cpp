#include "cli/report.h"

namespace kvctl {
namespace {

QJsonValue textOrNull(const QString& s) {
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

}  // namespace

int exitCode(Outcome o) {
    return static_cast<int>(o);
}

QString resultName(Outcome o) {
    switch (o) {
        case Outcome::Ok:
            return QStringLiteral("ok");
        case Outcome::Difference:
            return QStringLiteral("difference");
        case Outcome::Usage:
            return QStringLiteral("usage");
        case Outcome::SettingRefused:
            return QStringLiteral("setting-refused");
        case Outcome::PortUnavailable:
            return QStringLiteral("port-unavailable");
        case Outcome::Communication:
            return QStringLiteral("communication-error");
        case Outcome::NotInitialised:
            return QStringLiteral("not-initialised");
        case Outcome::OutputFailed:
            return QStringLiteral("output-failed");
        case Outcome::Aborted:
            return QStringLiteral("aborted");
        case Outcome::Interrupted:
            return QStringLiteral("interrupted");
    }
    return {};
}

QString toolVersion() {
    return QStringLiteral(KVCTL_VERSION);
}

QJsonObject tableJson(const TableView& table) {
    QJsonArray channels;
    for (const TableView::Row& r : table.rows)
        channels.append(QJsonObject{{"channel", r.channel},
                                    {"used", r.used},
                                    {"cells", QJsonArray::fromStringList(r.cells)}});
    QJsonArray setMode;
    for (const TableView::Control& c : table.setMode)
        setMode.append(QJsonObject{{"control", c.caption}, {"value", c.value}});
    return {{"columns", QJsonArray::fromStringList(table.columns)},
            {"channels", channels},
            {"set_mode", setMode}};
}

QJsonObject toJson(const Report& r) {
    QJsonArray differences;
    for (const Difference& d : r.differences)
        differences.append(QJsonObject{
            {"field", d.field},
            {"file", d.file},
            {"modem", d.modem},
            {"address", d.address < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(d.address)}});
    QJsonArray backups;
    for (const Backup& b : r.backups)
        backups.append(QJsonObject{{"kind", kvcore::imageKindName(b.kind)}, {"file", b.file}});
    QJsonObject o{{"tool", "kvctl"},
                  {"version", toolVersion()},
                  {"verb", r.verb},
                  {"model", textOrNull(r.model)},
                  {"port", textOrNull(r.port)},
                  {"device", textOrNull(r.device)},
                  {"ok", r.ok()},
                  {"result", resultName(r.outcome)},
                  {"exit_code", exitCode(r.outcome)},
                  {"message", r.message},
                  {"detail", textOrNull(r.detail)},
                  {"start", r.start.toString(Qt::ISODateWithMs)},
                  {"duration_ms", r.durationMs},
                  {"bytes_sent", r.bytesSent},
                  {"bytes_received", r.bytesReceived},
                  {"differences", differences},
                  {"output_files", QJsonArray::fromStringList(r.outputFiles)},
                  {"backups", backups},
                  {"trace", textOrNull(r.traceFile)},
                  {"warnings", QJsonArray::fromStringList(r.warnings)}};
    if (r.table) o.insert("table", tableJson(*r.table));
    if (r.ports) o.insert("ports", *r.ports);
    return o;
}

}  // namespace kvctl
