#include "kvctl_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <cmath>

namespace kvtest {
namespace {

bool hasType(const QJsonValue& v, const QString& type) {
    if (type == QLatin1String("string")) return v.isString();
    if (type == QLatin1String("boolean")) return v.isBool();
    if (type == QLatin1String("null")) return v.isNull();
    if (type == QLatin1String("object")) return v.isObject();
    if (type == QLatin1String("array")) return v.isArray();
    if (type == QLatin1String("number")) return v.isDouble();
    if (type == QLatin1String("integer"))
        return v.isDouble() && std::floor(v.toDouble()) == v.toDouble();
    return false;
}

}  // namespace

QString schemaViolation(const QJsonValue& value, const QJsonObject& schema, const QString& where) {
    static const QStringList known = {
        "$schema", "$id",  "$defs",   "$ref",       "title",    "description",          "type",
        "const",   "enum", "minimum", "properties", "required", "additionalProperties", "items"};
    for (const QString& key : schema.keys())
        if (!known.contains(key)) return where + QStringLiteral(": the schema uses ") + key;
    if (schema.contains("$ref")) {
        const QString ref = schema["$ref"].toString();
        if (ref == QLatin1String("#")) return schemaViolation(value, reportSchema(), where);
        if (!ref.startsWith(QLatin1String("#/$defs/")) ||
            !reportSchema()["$defs"].toObject().contains(ref.mid(8)))
            return where + QStringLiteral(": an unknown reference ") + ref;
        return schemaViolation(value, schemaDefinition(ref.mid(8)), where);
    }
    if (schema.contains("type")) {
        const QJsonValue t = schema["type"];
        QStringList types;
        if (t.isArray())
            for (const QJsonValue& x : t.toArray()) types << x.toString();
        else
            types << t.toString();
        bool any = false;
        for (const QString& type : types) any = any || hasType(value, type);
        if (!any) return where + QStringLiteral(": not of type ") + types.join('|');
    }
    if (schema.contains("const") && value != schema["const"])
        return where + QStringLiteral(": not the constant");
    if (schema.contains("enum") && !schema["enum"].toArray().contains(value))
        return where + QStringLiteral(": not one of the listed values");
    if (schema.contains("minimum") && value.isDouble() &&
        value.toDouble() < schema["minimum"].toDouble())
        return where + QStringLiteral(": below the minimum");
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        const QJsonObject props = schema["properties"].toObject();
        for (const QJsonValue& r : schema["required"].toArray())
            if (!o.contains(r.toString())) return where + QStringLiteral(": lacks ") + r.toString();
        for (const QString& key : o.keys()) {
            if (props.contains(key)) {
                const QString inner =
                    schemaViolation(o[key], props[key].toObject(), where + '.' + key);
                if (!inner.isEmpty()) return inner;
            } else if (schema["additionalProperties"] == QJsonValue(false)) {
                return where + QStringLiteral(": unknown key ") + key;
            }
        }
    }
    if (value.isArray() && schema.contains("items")) {
        const QJsonArray a = value.toArray();
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString inner = schemaViolation(a[i], schema["items"].toObject(),
                                                  where + QStringLiteral("[%1]").arg(i));
            if (!inner.isEmpty()) return inner;
        }
    }
    return {};
}

const QJsonObject& reportSchema() {
    static const QJsonObject schema = [] {
        QFile f(QStringLiteral(KV_SOURCE_DIR "/cli/kvctl-report.schema.json"));
        if (!f.open(QIODevice::ReadOnly)) return QJsonObject();
        return QJsonDocument::fromJson(f.readAll()).object();
    }();
    return schema;
}

QJsonObject schemaDefinition(const QString& name) {
    return reportSchema()["$defs"].toObject()[name].toObject();
}

namespace {

// The end of a run and what it printed, held against the schema.
KvctlRun ended(QProcess& p, const QStringList& arguments, QByteArray err) {
    KvctlRun run;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "kvctl did not end: " << arguments.join(' ').toStdString();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = err + p.readAllStandardError();
    const QJsonDocument doc = QJsonDocument::fromJson(run.out);
    // A station prints the lines of its log; only a station that never began prints a report.
    const bool station = arguments.contains(QStringLiteral("--station"));
    if (arguments.contains(QStringLiteral("--json")) && (!station || doc["tool"].isString())) {
        EXPECT_FALSE(reportSchema().isEmpty()) << "the report schema cannot be read";
        EXPECT_TRUE(doc.isObject() || doc.isArray()) << "no JSON report: " << run.out.toStdString();
        const QString violation = doc.isArray()
                                      ? schemaViolation(doc.array(), schemaDefinition("reports"))
                                      : schemaViolation(doc.object(), reportSchema());
        EXPECT_TRUE(violation.isEmpty()) << violation.toStdString() << "\n"
                                         << run.out.toStdString();
        run.report = doc.object();
        run.reports = doc.array();
        if (doc.isObject()) {
            EXPECT_EQ(run.report["exit_code"].toInt(), run.exitCode);
        }
    }
    return run;
}

}  // namespace

KvctlRun kvctl(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(KV_BUILD_DIR "/kvctl"), arguments);
    return ended(p, arguments, {});
}

KvctlProcess::KvctlProcess(const QStringList& arguments) : arguments_(arguments) {
    process_.start(QStringLiteral(KV_BUILD_DIR "/kvctl"), arguments);
    process_.waitForStarted(10000);
}

KvctlProcess::~KvctlProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

void KvctlProcess::readErr() {
    err_ += process_.readAllStandardError();
}

bool KvctlProcess::waitForErr(const QByteArray& text, int ms, int times) {
    QElapsedTimer clock;
    clock.start();
    process_.setReadChannel(QProcess::StandardError);
    for (;;) {
        readErr();
        if (err_.count(text) >= times) return true;
        const qint64 left = ms - clock.elapsed();
        if (left <= 0 || process_.state() == QProcess::NotRunning) return false;
        process_.waitForReadyRead(int(left));
    }
}

QList<qint64> KvctlProcess::children() const {
    QList<qint64> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == process_.processId()) found << pid;
    }
    return found;
}

KvctlRun KvctlProcess::finish() {
    process_.setReadChannel(QProcess::StandardError);
    readErr();
    return ended(process_, arguments_, err_);
}

bool processAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    return !text.mid(text.lastIndexOf(')') + 2).startsWith('Z');
}

}  // namespace kvtest
