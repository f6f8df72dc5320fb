#pragma once
// What one run of a verb gives back: the outcome with its exit code, the message in the
// windows' own words, the port, the bytes moved, the differences, the files written. The
// JSON form follows cli/kvctl-report.schema.json; the terminal form is in output.h.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "cli/kit.h"
#include "core/backup.h"
#include "core/trace.h"

namespace kvctl {

// Exit codes: distinct for each way a run can end.
enum class Outcome {
    Ok = 0,               // the whole verb succeeded, verified where it writes
    Difference = 1,       // verify found a difference; a write's or erase's read-back was NG
    Usage = 2,            // bad arguments or input file: nothing was sent
    SettingRefused = 3,   // the write's checks refused the file: nothing was sent
    PortUnavailable = 4,  // the port could not be opened: nothing was sent
    Communication = 5,    // a reply missing or wrong: the exchange ended there
    NotInitialised = 6,   // the modem's memory holds no table (erased or never written)
    OutputFailed = 7,     // an output file could not be written
    Aborted = 8,          // the kvctl process of one port crashed or stopped answering
    Interrupted = 130,    // SIGINT or SIGTERM stopped the exchange part-way (as a shell counts)
};
int exitCode(Outcome o);
QString resultName(Outcome o);  // "ok", "difference", ...

// One difference between a file and a modem: a field in the windows' words, or a raw byte
// that no field explains (then `address` is its memory address).
struct Difference {
    QString field;
    QString file;
    QString modem;
    int address = -1;
};

// A memory image the run kept.
struct Backup {
    kvcore::ImageKind kind;
    QString file;
};

struct Report {
    QString verb;
    QString model;   // the model's name, empty when not known
    QString port;    // as given to --port
    QString device;  // the device that port names
    Outcome outcome = Outcome::Ok;
    QString message;  // "Data Write OK!!", "Communication Error[1]!!", ...
    QString detail;   // a second line: what to do about a port that cannot be opened
    QDateTime start;
    qint64 durationMs = 0;
    qint64 bytesSent = 0;
    qint64 bytesReceived = 0;
    QList<Difference> differences;
    QStringList outputFiles;
    QList<Backup> backups;
    QString traceFile;     // the --trace file, once written
    QStringList warnings;  // what went wrong beside the verb: a backup or trace not written
    // The run's protocol trace, when --trace asks for one.
    std::shared_ptr<kvcore::ProtocolTrace> trace;
    std::optional<TableView> table;   // show
    std::optional<QJsonArray> ports;  // ports

    bool ok() const { return outcome == Outcome::Ok; }
};

// A run that ends early: the outcome and its message.
struct Failure {
    Outcome outcome;
    QString message;
    QString detail = {};
};

QJsonObject toJson(const Report& report);
QJsonObject tableJson(const TableView& table);

// The tool's version, as the build sets it.
QString toolVersion();

}  // namespace kvctl
