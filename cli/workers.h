#pragma once
// The parent's side of a run on several ports: one worker process per port (multiport.h),
// what they print, how they end. The parent only waits in its event loop: on the pipes of
// its children, their exits, the stop signals and one watchdog timer per port.
//
// A worker's stdout lines are JSON reports. Its stderr lines are "progress PHASE PERCENT",
// "station STATE [TEXT]" in the station's loop, and anything else (a warning) is passed on
// as a message naming the port.
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "cli/board.h"
#include "cli/options.h"

namespace kvctl {

class PortRunner {
  public:
    explicit PortRunner(const Options& options);
    virtual ~PortRunner();
    PortRunner(const PortRunner&) = delete;
    PortRunner& operator=(const PortRunner&) = delete;

    // Starts every port's worker and waits until all have ended. SIGINT and SIGTERM pass a
    // stop on to each worker (SIGTERM); a worker that has not ended 10 s later, or at a
    // second signal, is killed.
    void run();

  protected:
    // How a worker ended: by itself (`why` empty, `exitCode` its code), or killed by the
    // watchdog or a signal (`why` says so).
    struct End {
        int exitCode = 0;
        QString why;
    };
    virtual void onReport(int port, const QJsonObject& report) = 0;
    virtual void onStation(int /*port*/, const QString& /*state*/, const QString& /*text*/) {}
    virtual void onEnd(int port, const End& end) = 0;

    bool stopping() const { return stopping_; }
    const Options& options() const { return options_; }
    const QString& portName(int port) const;
    int portCount() const { return int(ports_.size()); }
    PortBoard& board() { return board_; }
    // Since run() began.
    qint64 elapsedMs() const { return clock_.elapsed(); }

  private:
    struct Port;
    void start(Port& p);
    void read(Port& p, QProcess::ProcessChannel channel);
    void line(Port& p, QProcess::ProcessChannel channel, const QByteArray& text);
    void ended(Port& p, End end);
    void stop();

    const Options& options_;
    PortBoard board_;
    std::vector<std::unique_ptr<Port>> ports_;
    int running_ = 0;
    bool stopping_ = false;
    QTimer killTimer_;
    QEventLoop* loop_ = nullptr;
    QElapsedTimer clock_;
};

}  // namespace kvctl
