// kvctl: programs KV modems from the command line, for scripts and production lines, with
// the windows' own frames, checks and files.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "cli/multiport.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "platform/localefmt.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    // Only the printed list needs fonts and a paint device; it needs no display either.
    const bool printing = kvctl::verbOf(arguments) == QLatin1String("print");
    if (printing && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        printing ? std::make_unique<QGuiApplication>(argc, argv)
                 : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvctl"));
    QCoreApplication::setApplicationVersion(kvctl::toolVersion());
    platform::pinDecimalSeparator(QChar('.'));

    kvctl::Parsed parsed;
    try {
        parsed = kvctl::parseCommandLine(arguments);
    } catch (const kvctl::UsageError& e) {
        kvctl::Report r;
        r.verb = kvctl::verbOf(arguments);
        r.outcome = kvctl::Outcome::Usage;
        r.message = QString::fromStdString(e.what());
        r.start = QDateTime::currentDateTimeUtc();
        kvctl::Options o;
        o.json = arguments.contains(QStringLiteral("--json"));
        kvctl::printReport(r, o, stdout, stderr);
        return kvctl::exitCode(r.outcome);
    }
    if (parsed.request == kvctl::Request::Help) {
        std::fputs(parsed.helpText.toUtf8().constData(), stdout);
        return 0;
    }
    if (parsed.request == kvctl::Request::Version) {
        std::printf("kvctl %s\n", qPrintable(kvctl::toolVersion()));
        return 0;
    }
    if (parsed.options.worker) return kvctl::runWorker(parsed.options);
    if (kvctl::runsPerPort(parsed.options)) return kvctl::runPerPort(parsed.options);
    const std::unique_ptr<kvctl::ProgressSink> progress = kvctl::progressFor(stderr);
    const kvctl::Report report = kvctl::runVerb(parsed.options, *progress);
    kvctl::printReport(report, parsed.options, stdout, stderr);
    return kvctl::exitCode(report.outcome);
}
