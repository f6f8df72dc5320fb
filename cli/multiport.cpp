// A verb on several ports: the parent's run, the worker's, and what both need to agree on.
#include "cli/multiport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <cstdio>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/port.h"
#include "cli/progress.h"
#include "cli/station.h"
#include "cli/verbs.h"
#include "cli/workers.h"

namespace kvctl {
namespace {

void put(std::FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

// Every port's worker runs the verb and prints its report; the parent keeps them in the
// order the ports were given.
class VerbRun final : public PortRunner {
  public:
    explicit VerbRun(const Options& options)
        : PortRunner(options), reports_(options.ports.size()) {}
    const QList<QJsonObject>& reports() const { return reports_; }

  protected:
    void onReport(int port, const QJsonObject& report) override {
        reports_[port] = report;
        board().state(port, report["message"].toString());
    }
    void onEnd(int port, const End& end) override {
        if (!reports_[port].isEmpty()) return;
        const QString why = end.why.isEmpty()
                                ? QStringLiteral("ended with exit code %1").arg(end.exitCode)
                                : end.why;
        const Report r =
            stopping()
                ? lostReport(options(), portName(port), Outcome::Interrupted,
                             QStringLiteral("Interrupted"), QStringLiteral("its process ") + why)
                : lostReport(options(), portName(port), Outcome::Aborted,
                             QStringLiteral("kvctl stopped on this port without a report"),
                             QStringLiteral("its process ") + why);
        reports_[port] = toJson(r);
        reports_[port]["duration_ms"] = elapsedMs();
        board().state(port, r.message);
    }

  private:
    QList<QJsonObject> reports_;
};

void printResults(const Options& o, const QList<QJsonObject>& reports) {
    if (o.json) {
        QJsonArray all;
        for (const QJsonObject& r : reports) all.append(r);
        std::fputs(QJsonDocument(all).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        for (qsizetype i = 0; i < reports.size(); ++i) {
            const QJsonObject& r = reports[i];
            const QString& port = o.ports[i];
            put(stdout, port + QStringLiteral(": ") + r["message"].toString() + '\n');
            for (const QJsonValue& d : r["differences"].toArray()) {
                const QJsonObject x = d.toObject();
                put(stdout, QStringLiteral("%1:   %2: file %3, modem %4\n")
                                .arg(port, x["field"].toString(), x["file"].toString(),
                                     x["modem"].toString()));
            }
            if (!r["detail"].isNull())
                put(stderr, QStringLiteral("kvctl: %1: %2\n").arg(port, r["detail"].toString()));
        }
    }
    std::fflush(stdout);
    std::fflush(stderr);
}

}  // namespace

QStringList readPortsFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw UsageError(QStringLiteral("--ports %1: %2").arg(path, f.errorString()).toStdString());
    QStringList ports;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) ports << line;
    }
    return ports;
}

QString portGivenTwice(const QStringList& ports) {
    QSet<QString> seen;
    for (const QString& p : ports) {
        if (seen.contains(p)) return p;
        seen.insert(p);
    }
    return {};
}

bool runsPerPort(const Options& options) {
    return !options.worker && (options.ports.size() > 1 || options.station);
}

Outcome mostSerious(const QList<Outcome>& outcomes) {
    // A run cut short first, then a port whose state nobody knows, then a modem that could not
    // be reached or stopped answering part-way, then one that answered but does not hold what
    // it should, then what ended a run before anything was sent.
    static const Outcome order[] = {
        Outcome::Interrupted,     Outcome::Aborted,        Outcome::Communication,
        Outcome::PortUnavailable, Outcome::NotInitialised, Outcome::Difference,
        Outcome::OutputFailed,    Outcome::SettingRefused, Outcome::Usage};
    for (const Outcome o : order)
        if (outcomes.contains(o)) return o;
    return Outcome::Ok;
}

QString portLabel(const QString& port) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    if (!port.contains(QLatin1Char('/'))) return QStringLiteral("COM") + port;
    QString name = QFileInfo(port).fileName();
    return name.replace(unsafe, QStringLiteral("_"));
}

QString taggedPath(const QString& path, const QString& tag) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A dot that begins the file name (".hidden") or stands in a folder's name is no suffix.
    const qsizetype at = dot > slash + 1 ? dot : path.size();
    return path.left(at) + QLatin1Char('-') + tag + path.mid(at);
}

QString perPortPath(const QString& path, const QString& port) {
    return taggedPath(path, portLabel(port));
}

QStringList workerArguments(const Options& o, const QString& port) {
    QStringList a{o.verb, QStringLiteral("--worker"), QStringLiteral("--port"), port};
    if (!o.model.isEmpty()) a << QStringLiteral("--model") << o.model;
    // Every option that names a file to write names one per port, through perPortPath().
    if (!o.output.isEmpty()) a << QStringLiteral("-o") << perPortPath(o.output, port);
    if (!o.image.isEmpty()) a << QStringLiteral("--image") << perPortPath(o.image, port);
    if (!o.trace.isEmpty()) a << QStringLiteral("--trace") << perPortPath(o.trace, port);
    if (o.noBackup) a << QStringLiteral("--no-backup");
    if (o.yes) a << QStringLiteral("--yes");
    if (o.production) a << QStringLiteral("--production");
    if (o.station) a << QStringLiteral("--station");  // the parent keeps the log
    return a << QStringLiteral("--") << o.files;
}

Report lostReport(const Options& o, const QString& port, Outcome outcome, const QString& message,
                  const QString& detail) {
    Report r;
    r.verb = o.verb;
    kitForModel(o.model, &r.model);
    r.port = port;
    r.device = deviceOf(port);
    r.outcome = outcome;
    r.message = message;
    r.detail = detail;
    const bool cut = outcome == Outcome::Aborted || outcome == Outcome::Interrupted;
    if (cut && (o.verb == QLatin1String("write") || o.verb == QLatin1String("erase")))
        r.detail += QStringLiteral("; the modem may hold part of what was sent");
    r.start = QDateTime::currentDateTimeUtc();
    return r;
}

void printJsonLine(const QJsonObject& object) {
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).append('\n').constData(),
               stdout);
    std::fflush(stdout);
}

int runPerPort(const Options& options) {
    // Each port writes its own copy of every file named, the station's unit traces included.
    if (!options.output.isEmpty() || !options.image.isEmpty() || !options.trace.isEmpty()) {
        QHash<QString, QString> labels;
        for (const QString& p : options.ports) {
            if (labels.contains(portLabel(p))) {
                const Report r =
                    lostReport(options, p, Outcome::Usage,
                               QStringLiteral("ports %1 and %2 would both write the files named %3")
                                   .arg(labels[portLabel(p)], p, portLabel(p)),
                               {});
                printReport(r, options, stdout, stderr);
                return exitCode(r.outcome);
            }
            labels.insert(portLabel(p), p);
        }
    }
    if (options.station) return runStation(options);
    VerbRun run(options);
    run.run();
    printResults(options, run.reports());
    QList<Outcome> outcomes;
    for (const QJsonObject& r : run.reports()) outcomes << Outcome(r["exit_code"].toInt());
    return exitCode(mostSerious(outcomes));
}

int runWorker(const Options& options) {
    catchStopSignals();
    if (options.station) return stationWorker(options);
    PlainProgress progress(stderr);
    const Report report = runVerb(options, progress);
    printJsonLine(toJson(report));
    return exitCode(report.outcome);
}

}  // namespace kvctl
