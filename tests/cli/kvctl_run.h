#pragma once
// Runs the real build/kvctl as a child process in the test's folder (it inherits KVPROG_COM<n>
// from the emulators of the test), and holds every JSON report it prints against the
// report schema with a strict validator for the subset of JSON Schema the schema uses.
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace kvtest {

struct KvctlRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject report;  // with --json: the report, already validated
};

// Fails the test when kvctl does not end within a minute, or when a --json run prints
// anything but one report that the schema accepts.
KvctlRun kvctl(const QStringList& arguments);

// The report schema of the source tree.
const QJsonObject& reportSchema();
// Empty when `value` satisfies `schema`, else where and why not. A keyword the validator does
// not know is an error too, so the schema cannot use more than is checked.
QString schemaViolation(const QJsonValue& value, const QJsonObject& schema,
                        const QString& where = QStringLiteral("$"));

}  // namespace kvtest
