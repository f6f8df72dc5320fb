#pragma once
// A modem verb on several ports at once. Each port runs in a kvctl process of its own (this
// very program with the one-port verb and the hidden --worker option), so that a port's
// silence, unplugged adapter, crash or hang cannot touch another port, and every descriptor
// and thread of a port goes with its process. The parent waits on the pipes and the exits
// of its children in its event loop, draws the ports, and sums the results up.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "cli/options.h"
#include "cli/report.h"

namespace kvctl {

// The ports of a --ports file: one a line, blanks around it ignored; empty lines and lines
// whose first character other than a blank is '#' are skipped. UsageError when the file
// cannot be read.
QStringList readPortsFile(const QString& path);
// The first port given twice, or empty.
QString portGivenTwice(const QStringList& ports);

// True when the run goes to one process per port: more than one port, or the station.
bool runsPerPort(const Options& options);

// The most serious of the outcomes of the ports: interrupted, aborted, communication error,
// port unavailable, not initialised, difference, output failed, setting refused, usage; Ok
// only when every port is Ok (or there are none).
Outcome mostSerious(const QList<Outcome>& outcomes);

// The name a port gives to its own files: COMn for a number, the device's file name for a
// path ("/dev/serial/by-id/usb-FTDI_X-if00-port0": "usb-FTDI_X-if00-port0").
QString portLabel(const QString& port);
// `path` with "-" + `tag` before its last suffix: "got.dat", "COM2": "got-COM2.dat".
QString taggedPath(const QString& path, const QString& tag);
// `path` with the port's label as its tag: "got.dat", port 2: "got-COM2.dat".
QString perPortPath(const QString& path, const QString& port);

// The command line of one port's worker process.
QStringList workerArguments(const Options& options, const QString& port);

// The report of a port whose process ended without one.
Report lostReport(const Options& options, const QString& port, Outcome outcome,
                  const QString& message, const QString& detail);

// A report as one line of JSON on stdout, as a worker prints each of its reports.
void printJsonLine(const QJsonObject& object);

// The run on several ports: prints the results and returns the exit code.
int runPerPort(const Options& options);
// A worker: the verb on its one port (the station's loop with --station), each report as
// one JSON line on stdout, progress and states as lines on stderr; SIGTERM and SIGINT stop
// it at its next byte. Returns the exit code of its port.
int runWorker(const Options& options);

}  // namespace kvctl
