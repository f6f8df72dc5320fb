#pragma once
// Where the windows keep the traces of their modem commands: one file per command in the
// user's state folder, $XDG_STATE_HOME/kvprog/traces/ (~/.local/state/kvprog/traces/ when
// the variable is unset), named by tool, local time and command, and only the newest 20 of
// each tool. The last trace also stays in memory for COM > Save Trace.... A trace that
// cannot be written never fails its command: one warning on stderr, nothing more. No
// widgets here.
#include <QByteArray>
#include <QString>

class QObject;

namespace kvcore {

class ProtocolTrace;

class TraceStore {
  public:
    static constexpr int kKept = 20;

    // Keeps the traces of the commands on `port` (a port component) for `tool` ("kvprog_a")
    // in `folder`, the state folder by default. While it lives, the commands that run on the
    // port through a CommandRunner are traced (see traceStoreOf).
    TraceStore(const QObject* port, QString tool, QString folder = defaultFolder());
    ~TraceStore();
    TraceStore(const TraceStore&) = delete;
    TraceStore& operator=(const TraceStore&) = delete;

    static QString defaultFolder();
    const QString& tool() const { return tool_; }
    const QString& folder() const { return folder_; }

    // Writes `trace` as a file of its own and prunes the tool's traces to kKept; returns the
    // file's path, or empty when it could not be written. It is the last trace either way.
    QString keep(const ProtocolTrace& trace);

    bool hasLast() const { return !last_.isEmpty(); }
    const QByteArray& lastText() const { return last_; }
    // The file name the last trace has (or would have had) in the folder.
    const QString& lastName() const { return lastName_; }

  private:
    const QObject* port_;
    QString tool_;
    QString folder_;
    QByteArray last_;
    QString lastName_;
};

// The store of `port`, null when no store keeps its traces.
TraceStore* traceStoreOf(const QObject* port);

// "<tool>_<yyyyMMdd-HHmmss-zzz>_<command>", the command's blanks as '-': the name of a trace
// file without its ".txt".
QString traceFileStem(const ProtocolTrace& trace);

}  // namespace kvcore
