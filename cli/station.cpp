#include "cli/station.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>

#include "cli/interrupt.h"
#include "cli/multiport.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "cli/workers.h"

namespace kvctl {
namespace {

// A Read that finds no modem already waits a second for its first reply byte.
constexpr int kProbePauseMs = 500;
// One Read that fails may be a bad contact; a unit still in its fixture must not be taken
// for the next one.
constexpr int kRemovedAfterFailures = 2;

// ---- The worker: one port's loop.

class NoProgress final : public ProgressSink {
  public:
    void progress(const QString&, int) override {}
};

// "station STATE [TEXT]" on stderr; the parent draws it, and it is a sign of life.
void announce(const char* state, const QString& text = {}) {
    std::fprintf(stderr, "station %s%s%s\n", state, text.isEmpty() ? "" : " ",
                 text.toUtf8().constData());
    std::fflush(stderr);
}

enum class Probe { Answered, Silent, NoPort, Stopped };

// A Read of the whole memory: whether a modem answers it, whatever it holds (a new unit may
// be erased).
Probe probe(const Options& options, const ModelKit& kit, QString* why) {
    // A probe every second while a unit waits would push the units' own backups out of the
    // kept images, and its trace would replace theirs.
    Options o = options;
    o.noBackup = true;
    o.trace.clear();
    Report scratch;
    NoProgress quiet;
    bool initialised = false;
    try {
        detail::readModem(o, kit, scratch, quiet, &initialised);
        return Probe::Answered;
    } catch (const Failure& f) {
        if (f.outcome == Outcome::Interrupted) return Probe::Stopped;
        if (f.outcome != Outcome::PortUnavailable) return Probe::Silent;
        *why = f.detail.isEmpty() ? f.message : f.detail;
        return Probe::NoPort;
    }
}

// False when a stop came first.
bool waitForModem(const Options& o, const ModelKit& kit) {
    announce("waiting");
    for (;;) {
        QString why;
        switch (probe(o, kit, &why)) {
            case Probe::Answered:
                return true;
            case Probe::Stopped:
                return false;
            default:
                announce("waiting", why);
        }
        if (!pauseUnlessStopped(kProbePauseMs)) return false;
    }
}

bool waitForRemoval(const Options& o, const ModelKit& kit) {
    for (int failures = 0; failures < kRemovedAfterFailures;) {
        announce("removing");
        if (!pauseUnlessStopped(kProbePauseMs)) return false;
        QString why;
        const Probe p = probe(o, kit, &why);
        if (p == Probe::Stopped) return false;
        failures = p == Probe::Answered ? 0 : failures + 1;
    }
    return true;
}

// ---- The parent: the log and the tally.

QString now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

class StationRun final : public PortRunner {
  public:
    StationRun(const Options& options, int log)
        : PortRunner(options), log_(log), start_(now()), ports_(options.ports.size()) {}

    // What the run's exit code is made of.
    Outcome outcome() const {
        if (cut_) return Outcome::Interrupted;
        QList<Outcome> all = endings_;
        if (logFailed_) all << Outcome::OutputFailed;
        return mostSerious(all);
    }
    QString summary() const {
        int done = 0, failed = 0;
        QString lines;
        for (int i = 0; i < portCount(); ++i) {
            done += ports_[i].done;
            failed += ports_[i].failed;
            lines += QStringLiteral("%1: %2 done, %3 failed\n")
                         .arg(portName(i))
                         .arg(ports_[i].done)
                         .arg(ports_[i].failed);
        }
        return QStringLiteral("kvctl station: %1 done, %2 failed; log %3\n")
                   .arg(done)
                   .arg(failed)
                   .arg(options().log) +
               lines;
    }

  protected:
    void onStation(int port, const QString& state, const QString& text) override {
        Tally& t = ports_[port];
        t.writing = state == QLatin1String("writing");
        if (state == QLatin1String("waiting"))
            show(port, text.isEmpty() ? QStringLiteral("waiting for a modem")
                                      : QStringLiteral("waiting for the port: ") + text);
        else if (state == QLatin1String("removing"))
            show(port, t.last + QStringLiteral(": remove the unit"));
        else
            show(port, QStringLiteral("writing"));
    }

    void onReport(int port, const QJsonObject& report) override {
        ports_[port].writing = false;
        logUnit(port, report);
    }

    void onEnd(int port, const End& end) override {
        const QString why = end.why.isEmpty()
                                ? QStringLiteral("ended with exit code %1").arg(end.exitCode)
                                : end.why;
        if (ports_[port].writing) {
            // The worker went while a unit was on the line: that unit is not done.
            const Outcome o = stopping() ? Outcome::Interrupted : Outcome::Aborted;
            const Report r =
                lostReport(options(), portName(port), o,
                           o == Outcome::Interrupted ? QStringLiteral("Interrupted")
                                                     : QStringLiteral("kvctl stopped on this port "
                                                                      "without a report"),
                           QStringLiteral("its process ") + why);
            logUnit(port, toJson(r));
        }
        if (stopping() && end.why.isEmpty()) {
            show(port, QStringLiteral("stopped"));
            return;
        }
        // A port whose loop ended by itself, or that had to be killed.
        const Outcome o = end.why.isEmpty() ? Outcome(end.exitCode) : Outcome::Aborted;
        if (!stopping() || o == Outcome::Aborted) endings_ << o;
        show(port, QStringLiteral("stopped: its process ") + why);
    }

  private:
    struct Tally {
        int done = 0;
        int failed = 0;
        bool writing = false;
        QString last;   // the last unit's result
        QString shown;  // what the board shows now
    };

    void show(int port, const QString& text) {
        Tally& t = ports_[port];
        const QString line =
            QStringLiteral("%1   [%2 done, %3 failed]").arg(text).arg(t.done).arg(t.failed);
        if (line == t.shown) return;  // a plain log gets each change once
        t.shown = line;
        board().state(port, line);
    }

    void logUnit(int port, const QJsonObject& report) {
        Tally& t = ports_[port];
        const bool done = report["ok"].toBool();
        done ? ++t.done : ++t.failed;
        if (done) ++units_;
        if (report["result"].toString() == QLatin1String("interrupted")) cut_ = true;
        const QJsonObject line{
            {"station_start", start_},
            {"time", now()},
            {"port", portName(port)},
            {"unit", done ? QJsonValue(units_) : QJsonValue(QJsonValue::Null)},
            {"done", done},
            {"report", report},
        };
        const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
        if (!append(bytes)) {
            logFailed_ = true;
            board().note(QStringLiteral("kvctl: the log %1 cannot be written: %2")
                             .arg(options().log, QString::fromLocal8Bit(std::strerror(errno))));
        }
        if (options().json) {
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            std::fflush(stdout);
        }
        t.last =
            done ? QStringLiteral("unit %1 done, %2").arg(units_).arg(report["message"].toString())
                 : QStringLiteral("FAILED, %1").arg(report["message"].toString());
        // On a terminal each unit stays on the screen above the ports' lines.
        if (board().onTerminal()) board().note(portName(port) + QStringLiteral(": ") + t.last);
        show(port, t.last);
    }

    // One write of the whole line: a reader of the log never sees half a line of ours.
    bool append(const QByteArray& bytes) {
        qsizetype at = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::write(log_, bytes.constData() + at, size_t(bytes.size() - at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            at += n;
        }
        return ::fdatasync(log_) == 0 || errno == EINVAL;
    }

    int log_;
    QString start_;
    QList<Tally> ports_;
    QList<Outcome> endings_;
    int units_ = 0;
    bool cut_ = false;
    bool logFailed_ = false;
};

// The log, opened for appending; a last line cut off earlier (the power lost while it was
// written) is ended first, so that each of our lines stands on a line of its own.
int openLog(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw Failure{
            Outcome::OutputFailed,
            QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
    const off_t end = ::lseek(fd, 0, SEEK_END);
    char last = '\n';
    if (end > 0 && ::pread(fd, &last, 1, end - 1) == 1 && last != '\n') {
        [[maybe_unused]] const ssize_t n = ::write(fd, "\n", 1);
    }
    return fd;
}

}  // namespace

int runStation(const Options& options) {
    Report check;
    int log = -1;
    try {
        // A file the write refuses refuses the station, before any port is touched.
        detail::fileToWrite(options, check);
        log = openLog(options.log);
    } catch (const Failure& f) {
        check.verb = options.verb;
        check.outcome = f.outcome;
        check.message = f.message;
        check.start = QDateTime::currentDateTimeUtc();
        printReport(check, options, stdout, stderr);
        return exitCode(f.outcome);
    }
    StationRun run(options, log);
    run.run();
    ::close(log);
    const QByteArray summary = run.summary().toUtf8();
    std::fputs(summary.constData(), options.json ? stderr : stdout);
    std::fflush(stdout);
    return exitCode(run.outcome());
}

int stationWorker(const Options& options) {
    Report unused;
    const ModelKit* kit = nullptr;
    try {
        kit = detail::fileToWrite(options, unused).kit;
    } catch (const Failure& f) {
        std::fprintf(stderr, "%s\n", f.message.toUtf8().constData());
        return exitCode(f.outcome);
    }
    // Each unit tried on this port gets its own trace: "trace-COM1.txt" becomes
    // "trace-COM1-unit1.txt", "trace-COM1-unit2.txt" ...
    Options unitOptions = options;
    for (int tried = 1; waitForModem(options, *kit); ++tried) {
        announce("writing");
        PlainProgress progress(stderr);
        if (!options.trace.isEmpty())
            unitOptions.trace = taggedPath(options.trace, QStringLiteral("unit%1").arg(tried));
        const Report unit = runVerb(unitOptions, progress);
        printJsonLine(toJson(unit));
        if (unit.outcome == Outcome::Interrupted) return exitCode(unit.outcome);
        if (!waitForRemoval(options, *kit)) break;
    }
    return 0;
}

}  // namespace kvctl
