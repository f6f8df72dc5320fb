// The modem verbs (read, write, verify, erase, restore) and the dispatch of every verb.
#include "cli/verbs.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include "cli/compare.h"
#include "cli/port.h"
#include "platform/files.h"
#include "serial/CommX.h"

namespace kvctl {
namespace {

using namespace detail;
using kvcore::LinkResult;
using kvcore::MemoryImage;

QByteArray imageBytes(const MemoryImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), image.size());
}

// The backup read, `write`, then the read-back into `readBack`, with their progress.
LinkResult writeAndReadBack(const Options& o, Report& r, ProgressSink& progress,
                            kvcore::MemoryProgrammer& modem,
                            const std::function<LinkResult(const kvcore::Progress&)>& write,
                            MemoryImage& readBack) {
    if (const LinkResult backup = backupBeforeWriting(o, r, progress, modem);
        backup != LinkResult::Ok)
        return backup;
    LinkResult result = write([&](int percent) { progress.progress("Write", percent); });
    if (result == LinkResult::Ok)
        result =
            modem.readMemory(readBack, [&](int percent) { progress.progress("Receive", percent); });
    if (result != LinkResult::Ok) progress.interrupted();
    return result;
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
        const LinkResult result = writeAndReadBack(
            o, r, progress, modem,
            [&](const kvcore::Progress& p) { return modem.writeTable(image, p); }, readBack);
        same = modem.sameWrittenBytes(image, readBack);
        return result;
    });
    keepImage(o, r, kvcore::ImageKind::WriteVerify, readBack);
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

void erase(const Options& o, ProgressSink& progress, Report& r) {
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
    MemoryImage readBack{};
    withModem(o, kit, r, [&](kvcore::MemoryProgrammer& modem, kvcore::ByteChannel& channel) {
        if (const LinkResult backup = backupBeforeWriting(o, r, progress, modem);
            backup != LinkResult::Ok)
            return backup;
        return kit.erase(channel, erased, readBack);
    });
    keepImage(o, r, kvcore::ImageKind::EraseVerify, readBack);
    if (!erased) throw Failure{Outcome::Difference, QStringLiteral("EEPROM INIT NG!!")};
    r.message = QStringLiteral("EEPROM INIT OK!!");
}

// A backup image as kvctl and the windows keep it: 256 bytes with the model's format mark.
MemoryImage loadImage(const QString& path, const ModelKit& kit, const QString& model) {
    MemoryImage image{};
    qint64 length = 0;
    try {
        length = platform::readBlock(path, image.data(), kvcore::kMemorySize);
    } catch (const platform::EFileError& e) {
        throw Failure{Outcome::Usage, QString::fromStdString(e.what())};
    }
    if (length != kvcore::kMemorySize)
        throw Failure{Outcome::Usage, QStringLiteral("%1 is %2 bytes long; a memory image has %3")
                                          .arg(path)
                                          .arg(length)
                                          .arg(kvcore::kMemorySize)};
    // An erased memory, or another model's, would leave the modem without its table.
    if (!kit.formatted(image))
        throw Failure{
            Outcome::Usage,
            QStringLiteral("%1 holds no %2 memory: its format mark is missing").arg(path, model)};
    return image;
}

void restore(const Options& o, ProgressSink& progress, Report& r) {
    const ModelKit& kit = namedKit(o, &r.model);
    const MemoryImage image = loadImage(o.files[0], kit, r.model);
    if (o.withCalibration && !production(o, kit))
        throw Failure{Outcome::Usage,
                      QStringLiteral("--with-calibration writes the factory calibration and runs "
                                     "only in production mode (--production, or the marker "
                                     "file)")};
    MemoryImage readBack{};
    bool same = false;
    withModem(o, kit, r, [&](kvcore::MemoryProgrammer& modem, kvcore::ByteChannel&) {
        const LinkResult result = writeAndReadBack(
            o, r, progress, modem,
            [&](const kvcore::Progress& p) {
                return o.withCalibration ? modem.writeMemory(image, p) : modem.writeTable(image, p);
            },
            readBack);
        same = o.withCalibration ? readBack == image : modem.sameWrittenBytes(image, readBack);
        return result;
    });
    keepImage(o, r, kvcore::ImageKind::WriteVerify, readBack);
    if (!same) throw Failure{Outcome::Difference, QStringLiteral("Data Write NG!!")};
    r.message = QStringLiteral("Data Write OK!!");
}

// The trace of the run into the --trace file; one that cannot be written is a warning.
void writeTrace(const Options& o, Report& r) {
    if (r.ok())
        r.trace->succeeded(r.message);
    else
        r.trace->failed(r.message);
    const QByteArray text = r.trace->text();
    try {
        platform::writeBlock(o.trace, text.constData(), text.size());
        r.traceFile = o.trace;
    } catch (const platform::EFileError& e) {
        r.warnings << QStringLiteral("trace not written: ") + QString::fromStdString(e.what());
    }
}

}  // namespace

SettingsFile detail::fileToWrite(const Options& o, Report& r) {
    // A longer file is written by its first bytes, as Open answered Yes takes it; but a file
    // of the other model's own size is that model's, and part of it is no table for this one.
    if (!o.model.isEmpty()) {
        QString model;
        const ModelKit& kit = namedKit(o, &model);
        const qint64 size = QFileInfo(o.files[0]).size();
        if (const ModelKit* sized = kitForFileSize(size); sized && sized != &kit)
            throw Failure{Outcome::Usage,
                          QStringLiteral("%1 is %2 bytes long, a %3 settings file; a %4 file is %5")
                              .arg(o.files[0])
                              .arg(size)
                              .arg(sized == &kv417rKit() ? QStringLiteral("KV417R")
                                                         : QStringLiteral("KV93x"))
                              .arg(model)
                              .arg(kit.blockSize())};
    }
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
    if (!options.trace.isEmpty())
        r.trace = std::make_shared<kvcore::ProtocolTrace>(QStringLiteral("kvctl"), options.verb);
    try {
        const QString& v = options.verb;
        if (v == QLatin1String("read"))
            read(options, progress, r);
        else if (v == QLatin1String("write"))
            write(options, progress, r);
        else if (v == QLatin1String("verify"))
            verify(options, progress, r);
        else if (v == QLatin1String("erase"))
            erase(options, progress, r);
        else if (v == QLatin1String("restore"))
            restore(options, progress, r);
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
    if (r.trace) writeTrace(options, r);
    r.durationMs = clock.elapsed();
    return r;
}

}  // namespace kvctl
