#pragma once
// kvctl's command line: the verb as the first argument, then its options and files. Parsing
// only; what a verb does with them is in verbs.h.
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kvctl {

struct Options {
    QString verb;
    QString model;      // as given to --model, empty when not given
    QString port;       // as given to --port: the first port when there are several
    QStringList ports;  // every --port, then the ports of --ports FILE, in their order
    QStringList files;
    QString output;  // -o
    QString image;   // --image
    QString base;    // --base
    QString pdf;     // --pdf
    QString trace;   // --trace
    QString format = QStringLiteral("text");
    bool json = false;
    bool yes = false;
    bool production = false;
    bool noBackup = false;         // --no-backup
    bool withCalibration = false;  // --with-calibration
    bool station = false;          // write: the production station's loop (station.h)
    QString log;                   // --log: the station's JSON Lines log
    int watchdogSeconds = 60;      // a port's process silent this long is stopped
    bool worker = false;           // hidden: one port's process under a run on several ports
};

// What the command line asks for besides a verb run.
enum class Request { Run, Help, Version };

struct Parsed {
    Request request = Request::Run;
    Options options;
    QString helpText;  // for Request::Help
};

// A command line that makes no sense; the message says why.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// `arguments` without the program name.
Parsed parseCommandLine(const QStringList& arguments);

QStringList verbNames();
// The first word of the arguments that is not an option: the verb, or empty.
QString verbOf(const QStringList& arguments);

}  // namespace kvctl
