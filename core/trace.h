#pragma once
// The protocol trace of one modem command: every byte that went over the line, its
// direction and its time in ms since the port opened, the opening and closing of the port,
// each reply that did not come within 1000 ms, and the command's result. It is text a
// technician can attach to a support request:
//
//   # kvprog_a trace of Receive, started 2026-05-03 14:22:05 local time
//   # ms since the port opened; TX to the modem, RX from the modem, bytes in hex
//          0 OPEN /dev/ttyUSB0
//          0 TX CC 04 00 00 00 00 00 04
//         21 RX 33 06 81 12 95 ...
//       1088 TIMEOUT no reply within 1000 ms
//       1088 CLOSE
//   RESULT error: Communication Error[1]!!
//
// One TX or RX line holds a burst: the bytes that went one way in a row, timed at its first
// byte. The trace of the command running on a port component is found from the component,
// so the byte channel under the links and the port session record into it without any
// frame builder knowing. No widgets here.
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>

class QObject;

namespace kvcore {

class ProtocolTrace {
  public:
    // `tool` and `command` head the text: "kvprog_a", "Receive".
    ProtocolTrace(QString tool, QString command, QDateTime started = QDateTime::currentDateTime());

    const QString& tool() const { return tool_; }
    const QString& command() const { return command_; }
    const QDateTime& started() const { return started_; }

    // The port: opened (the clock starts at the first opening), not opened, closed.
    void portOpened(const QString& device);
    void portNotOpened(const QString& device, const QString& error);
    void portClosed();
    // True once the command tried to open the port: before that nothing can have gone over
    // the line.
    bool portTried() const { return portTried_; }

    void sent(uint8_t byte);
    void received(uint8_t byte);
    void timedOut();

    // What the command ended with, as the user was told it. The last failure counts; a
    // success text counts only when nothing failed. Neither: "ok".
    void failed(const QString& text);
    void succeeded(const QString& text);

    // The whole trace, its RESULT line last.
    QByteArray text() const;

  private:
    enum class Direction { None, Tx, Rx };
    void byte(Direction direction, uint8_t value);
    void event(const QByteArray& what);
    void endBurst();
    qint64 elapsedMs() const;

    QString tool_;
    QString command_;
    QDateTime started_;
    QElapsedTimer clock_;
    bool portTried_ = false;
    QByteArray lines_;
    Direction burst_ = Direction::None;
    QString failure_;
    QString success_;
};

// While one lives, `trace` is the trace of the commands' exchanges on `port` (a port
// component). Any thread may look a port's trace up; one trace is used by one thread.
class TraceRecording {
  public:
    TraceRecording(const QObject* port, ProtocolTrace& trace);
    ~TraceRecording();
    TraceRecording(const TraceRecording&) = delete;
    TraceRecording& operator=(const TraceRecording&) = delete;

  private:
    const QObject* port_;
    ProtocolTrace* previous_;
};

// The trace recording on `port`, null when none is.
ProtocolTrace* traceOf(const QObject* port);

}  // namespace kvcore
