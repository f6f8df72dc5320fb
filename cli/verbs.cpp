// The modem verbs (read, write, verify, erase) and the dispatch of every verb.
#include "cli/verbs.h"

#include <QElapsedTimer>

#include "cli/compare.h"
#include "cli/port.h"
#include "serial/CommX.h"

namespace kvctl {
namespace {

using namespace detail;
using kvcore::LinkResult;
using kvcore::MemoryImage;

QByteArray imageBytes(const MemoryImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), image.size());
}

const Failure kNotInitialised{Outcome::NotInitialised,
                              QStringLiteral("EEPROM Initialization Error!!")};

void read(const Options& o, ProgressSink& progress, Report& r) {
    const ModelKit& kit = namedKit(o, &r.model);
    bool initialised = false;
    const MemoryImage image = readModem(o, kit, r, progress, &initialised);
    // The raw image shows what the modem holds even when it holds no table.
    if (!o.image.isEmpty()) writeOutput(r, o.image, imageBytes(image));
    if (!initialised) throw kNotInitialised;
    if (!o.output.isEmpty()) writeOutput(r, o.output, kit.receivedBlock(image));
    r.message = QStringLiteral("Receive Finished");
}

void write(const Options& o, ProgressSink& progress, Report& r) {
    const SettingsFile file = fileToWrite(o, r);
    const ModelKit& kit = *file.kit;
    const QDate today = QDate::currentDate();
    const MemoryImage image = kit.writeImage(file.block, today);
    MemoryImage readBack{};
    bool same = false;
    withModem(o, kit, r, [&](kvcore::MemoryProgrammer& modem, kvcore::ByteChannel&) {
        LinkResult result =
            modem.writeTable(image, [&](int percent) { progress.progress("Write", percent); });
        if (result == LinkResult::Ok)
            result = modem.readMemory(readBack,
                                      [&](int percent) { progress.progress("Receive", percent); });
        if (result != LinkResult::Ok) progress.interrupted();
        same = modem.sameWrittenBytes(image, readBack);
        return result;
    });
    if (!same) {
        r.differences = compareWithModem(kit, file.block, readBack, today);
        throw Failure{Outcome::Difference, QStringLiteral("Data Write NG!!")};
    }
    r.message = QStringLiteral("Data Write OK!!");
}

void verify(const Options& o, ProgressSink& progress, Report& r) {
    const SettingsFile file = loadSettingsFile(o.files[0], o);
    r.model = file.model;
    const MemoryImage image = readModem(o, *file.kit, r, progress);
    r.differences = compareWithModem(*file.kit, file.block, image, QDate::currentDate());
    if (!r.differences.isEmpty())
        throw Failure{Outcome::Difference, QStringLiteral("Data Compare NG!!")};
    r.message = QStringLiteral("Data Compare Finish");
}

void erase(const Options& o, Report& r) {
    const ModelKit& kit = namedKit(o, &r.model);
    if (!o.yes)
        throw Failure{Outcome::Usage,
                      QStringLiteral("erase sets every byte of the modem's memory to FF; it "
                                     "runs only with --yes")};
    if (!production(o, kit))
        throw Failure{Outcome::Usage,
                      QStringLiteral("erase is the factory window's EEPROM INIT and runs only "
                                     "in production mode (--production, or the marker file)")};
    bool erased = false;
    withModem(o, kit, r, [&](kvcore::MemoryProgrammer&, kvcore::ByteChannel& channel) {
        return kit.erase(channel, erased);
    });
    if (!erased) throw Failure{Outcome::Difference, QStringLiteral("EEPROM INIT NG!!")};
    r.message = QStringLiteral("EEPROM INIT OK!!");
}

}  // namespace

SettingsFile detail::fileToWrite(const Options& o, Report& r) {
    SettingsFile file = loadSettingsFile(o.files[0], o);
    r.model = file.model;
    if (const QString error = file.kit->firstSettingError(file.block, production(o, *file.kit));
        !error.isEmpty())
        throw Failure{Outcome::SettingRefused, error};
    return file;
}

Report runVerb(const Options& options, ProgressSink& progress) {
    const QDateTime start = QDateTime::currentDateTimeUtc();
    QElapsedTimer clock;
    clock.start();
    Report r;
    try {
        const QString& v = options.verb;
        if (v == QLatin1String("read"))
            read(options, progress, r);
        else if (v == QLatin1String("write"))
            write(options, progress, r);
        else if (v == QLatin1String("verify"))
            verify(options, progress, r);
        else if (v == QLatin1String("erase"))
            erase(options, r);
        else if (v == QLatin1String("show"))
            show(options, progress, r);
        else if (v == QLatin1String("import"))
            detail::import(options, r);
        else if (v == QLatin1String("print"))
            print(options, r);
        else
            ports(r);
    } catch (const Failure& f) {
        // The report keeps what the verb had filled in: model, port, bytes, differences.
        r.outcome = f.outcome;
        r.message = f.message;
        r.detail = f.detail;
    } catch (const UsageError& e) {
        r.outcome = Outcome::Usage;
        r.message = QString::fromStdString(e.what());
    }
    // A run that ended before it opened the port still names it, as the report of every
    // run of a production line should.
    if (r.port.isEmpty() && !options.port.isEmpty()) {
        r.port = options.port;
        r.device = deviceOf(options.port);
    }
    r.verb = options.verb;
    r.start = start;
    r.durationMs = clock.elapsed();
    return r;
}

}  // namespace kvctl
