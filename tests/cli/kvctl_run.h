#pragma once
// Runs the real build/kvctl as a child process in the test's folder (it inherits KVPROG_COM<n>
// from the emulators of the test), and holds every JSON report it prints against the
// report schema with a strict validator for the subset of JSON Schema the schema uses
// (references included: "#" and "#/$defs/NAME").
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

namespace kvtest {

struct KvctlRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject report;  // with --json: the report, already validated
    QJsonArray reports;  // with --json on several ports: the reports, already validated
};

// Fails the test when kvctl does not end within a minute, or when a --json run prints
// anything but one report or one array of reports that the schema accepts.
KvctlRun kvctl(const QStringList& arguments);

// kvctl in the background, for a test that acts while it runs. Killed if still running at
// the end of the test.
class KvctlProcess {
  public:
    explicit KvctlProcess(const QStringList& arguments);
    ~KvctlProcess();
    KvctlProcess(const KvctlProcess&) = delete;
    KvctlProcess& operator=(const KvctlProcess&) = delete;

    qint64 pid() const { return process_.processId(); }
    // Waits until its stderr, from the start, holds `text` `times` times; false after `ms`.
    bool waitForErr(const QByteArray& text, int ms = 30000, int times = 1);
    const QByteArray& err() const { return err_; }
    // Its children: the processes of its ports.
    QList<qint64> children() const;
    // Waits for the end (a minute at most): the run, checked as kvctl() checks one.
    KvctlRun finish();

  private:
    void readErr();
    QStringList arguments_;
    QProcess process_;
    QByteArray err_;
};

// Polls what the emulators saw while kvctl runs: true once `done()` holds, false after 30 s.
template <class Done>
bool waitUntil(Done done) {
    for (int i = 0; i < 3000; ++i) {
        if (done()) return true;
        QThread::msleep(10);
    }
    return false;
}

// True while process `pid` exists and is no zombie.
bool processAlive(qint64 pid);

// The report schema of the source tree, and one of its definitions ("reports", "unit").
const QJsonObject& reportSchema();
QJsonObject schemaDefinition(const QString& name);
// Empty when `value` satisfies `schema`, else where and why not. A keyword the validator does
// not know is an error too, so the schema cannot use more than is checked.
QString schemaViolation(const QJsonValue& value, const QJsonObject& schema,
                        const QString& where = QStringLiteral("$"));

}  // namespace kvtest
