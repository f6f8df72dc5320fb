#include "kvctl_run.h"

#include <gtest/gtest.h>

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
        "$schema", "$id",        "title",    "description",          "type", "const", "enum",
        "minimum", "properties", "required", "additionalProperties", "items"};
    for (const QString& key : schema.keys())
        if (!known.contains(key)) return where + QStringLiteral(": the schema uses ") + key;
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

KvctlRun kvctl(const QStringList& arguments) {
    KvctlRun run;
    QProcess p;
    p.start(QStringLiteral(KV_BUILD_DIR "/kvctl"), arguments);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "kvctl did not end: " << arguments.join(' ').toStdString();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    if (arguments.contains(QStringLiteral("--json"))) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
        EXPECT_TRUE(doc.isObject()) << "no JSON report: " << run.out.toStdString();
        EXPECT_FALSE(reportSchema().isEmpty()) << "the report schema cannot be read";
        run.report = doc.object();
        const QString violation = schemaViolation(run.report, reportSchema());
        EXPECT_TRUE(violation.isEmpty()) << violation.toStdString() << "\n"
                                         << run.out.toStdString();
        EXPECT_EQ(run.report["exit_code"].toInt(), run.exitCode);
    }
    return run;
}

}  // namespace kvtest
