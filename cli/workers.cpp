#include "cli/workers.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <cstring>

#include "cli/interrupt.h"
#include "cli/multiport.h"

namespace kvctl {

namespace {
// How long the workers have to close their ports after a stop: an exchange ends at its next
// byte, which comes within the 1000 ms receive time-out and the port's close.
constexpr int kStopGraceMs = 10000;
}  // namespace

struct PortRunner::Port {
    int index = 0;
    QString name;
    QProcess process;
    QTimer watchdog;
    QByteArray pending[2];  // the unfinished line of stdout and stderr
    bool silent = false;    // the watchdog fired
    bool killed = false;    // killed after a stop request
    bool ended = false;
};

PortRunner::PortRunner(const Options& options) : options_(options), board_(stderr, options.ports) {
    for (int i = 0; i < int(options.ports.size()); ++i) {
        auto p = std::make_unique<Port>();
        p->index = i;
        p->name = options.ports[i];
        ports_.push_back(std::move(p));
    }
    killTimer_.setSingleShot(true);
    QObject::connect(&killTimer_, &QTimer::timeout, [this] {
        for (const auto& p : ports_)
            if (!p->ended) {
                p->killed = true;
                p->process.kill();
            }
    });
}

PortRunner::~PortRunner() = default;

const QString& PortRunner::portName(int port) const {
    return ports_[size_t(port)]->name;
}

void PortRunner::run() {
    clock_.start();
    catchStopSignals();
    QSocketNotifier stops(stopFd(), QSocketNotifier::Read);
    QObject::connect(&stops, &QSocketNotifier::activated, [this] {
        char drain[16];
        while (::read(stopFd(), drain, sizeof drain) > 0) {
        }
        if (!stopping_)
            stop();
        else if (stopSignals() > 1)
            killTimer_.start(0);  // a second Ctrl-C: do not wait for the ports any longer
    });
    QEventLoop loop;
    loop_ = &loop;
    for (const auto& p : ports_) start(*p);
    if (stopRequested()) stop();
    if (running_ > 0) loop.exec();
    loop_ = nullptr;
    board_.flush();
}

void PortRunner::start(Port& p) {
    Port* port = &p;
    // This very program, even when its file was replaced meanwhile.
    p.process.setProgram(QStringLiteral("/proc/self/exe"));
    p.process.setArguments(workerArguments(options_, p.name));
    p.process.setStandardInputFile(QProcess::nullDevice());
    const pid_t parent = ::getpid();
    p.process.setChildProcessModifier([parent] {
        // A worker whose parent dies (even by SIGKILL) stops too and closes its port.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
    });
    QObject::connect(&p.process, &QProcess::readyReadStandardOutput,
                     [this, port] { read(*port, QProcess::StandardOutput); });
    QObject::connect(&p.process, &QProcess::readyReadStandardError,
                     [this, port] { read(*port, QProcess::StandardError); });
    QObject::connect(&p.process, &QProcess::finished,
                     [this, port](int code, QProcess::ExitStatus status) {
                         read(*port, QProcess::StandardOutput);
                         read(*port, QProcess::StandardError);
                         for (int c = 0; c < 2; ++c)
                             if (!port->pending[c].isEmpty())
                                 line(*port, QProcess::ProcessChannel(c), port->pending[c]);
                         End end{code, {}};
                         if (port->silent)
                             end.why = QStringLiteral(
                                           "showed no sign of life for %1 s and was "
                                           "stopped")
                                           .arg(options_.watchdogSeconds);
                         else if (port->killed)
                             end.why = QStringLiteral("did not end after the stop and was killed");
                         else if (status == QProcess::CrashExit)
                             end.why = QStringLiteral("ended by signal %1 (%2)")
                                           .arg(code)
                                           .arg(QString::fromLocal8Bit(::strsignal(code)));
                         ended(*port, end);
                     });
    QObject::connect(&p.process, &QProcess::errorOccurred, [this, port](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            ended(*port,
                  {127, QStringLiteral("could not be started: ") + port->process.errorString()});
    });
    p.watchdog.setSingleShot(true);
    p.watchdog.setInterval(options_.watchdogSeconds * 1000);
    QObject::connect(&p.watchdog, &QTimer::timeout, [port] {
        port->silent = true;
        port->process.kill();
    });
    ++running_;
    p.watchdog.start();
    p.process.start();
}

void PortRunner::read(Port& p, QProcess::ProcessChannel channel) {
    p.process.setReadChannel(channel);
    QByteArray& pending = p.pending[channel];
    pending += p.process.readAll();
    if (!p.ended) p.watchdog.start();  // any sign of life
    qsizetype newline;
    while ((newline = pending.indexOf('\n')) >= 0) {
        const QByteArray text = pending.left(newline);
        pending.remove(0, newline + 1);
        line(p, channel, text);
    }
}

void PortRunner::line(Port& p, QProcess::ProcessChannel channel, const QByteArray& text) {
    if (channel == QProcess::StandardOutput) {
        const QJsonDocument doc = QJsonDocument::fromJson(text);
        if (doc.isObject())
            onReport(p.index, doc.object());
        else if (!text.trimmed().isEmpty())
            board_.note(p.name + QStringLiteral(": ") + QString::fromUtf8(text));
        return;
    }
    const QList<QByteArray> words = text.split(' ');
    if (words.size() == 3 && words[0] == "progress") {
        board_.progress(p.index, QString::fromUtf8(words[1]), words[2].toInt());
    } else if (words.size() >= 2 && words[0] == "station") {
        onStation(p.index, QString::fromUtf8(words[1]),
                  QString::fromUtf8(text.mid(words[0].size() + words[1].size() + 2)));
    } else if (!text.trimmed().isEmpty()) {
        board_.note(p.name + QStringLiteral(": ") + QString::fromUtf8(text));
    }
}

void PortRunner::ended(Port& p, End end) {
    if (p.ended) return;
    p.ended = true;
    p.watchdog.stop();
    --running_;
    onEnd(p.index, end);
    if (running_ == 0 && loop_) loop_->quit();
}

void PortRunner::stop() {
    stopping_ = true;
    board_.note(QStringLiteral("kvctl: stopping; every port ends its exchange and closes"));
    for (const auto& p : ports_)
        if (!p->ended) p->process.terminate();
    killTimer_.start(kStopGraceMs);
}

}  // namespace kvctl
