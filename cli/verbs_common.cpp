#include <QFileInfo>
#include <optional>

#include "cli/interrupt.h"
#include "cli/port.h"
#include "cli/verbs.h"
#include "core/pacedlink.h"
#include "core/portsession.h"
#include "core/trace.h"
#include "platform/files.h"
#include "serial/CommX.h"

namespace kvctl::detail {

const ModelKit& namedKit(const Options& options, QString* model) {
    const ModelKit* kit = kitForModel(options.model, model);
    if (!kit) throw Failure{Outcome::Usage, QStringLiteral("--model is needed here")};
    return *kit;
}

SettingsFile loadSettingsFile(const QString& path, const Options& options) {
    SettingsFile f{nullptr, {}, {}};
    const QFileInfo info(path);
    if (!options.model.isEmpty()) {
        f.kit = &namedKit(options, &f.model);
    } else if (info.isFile()) {
        f.kit = kitForFileSize(info.size());
        if (!f.kit)
            throw Failure{Outcome::Usage,
                          QStringLiteral("%1 is %2 bytes long; KV417R settings files are %3 bytes "
                                         "and KV93x files %4. Name the model with --model to "
                                         "open it anyway.")
                              .arg(path)
                              .arg(info.size())
                              .arg(kv417rKit().blockSize())
                              .arg(kv93xKit().blockSize())};
        f.model = f.kit->descriptor().title;
    }
    const int size = f.kit ? f.kit->blockSize() : 0;
    f.block = QByteArray(size, '\0');
    try {
        // Only the block's bytes are read: a longer file is taken by its first bytes.
        platform::readBlock(path, f.block.data(), size);
    } catch (const platform::EFileError& e) {
        throw Failure{Outcome::Usage, QString::fromStdString(e.what())};
    }
    return f;
}

bool production(const Options& options, const ModelKit& kit) {
    return options.production || kvcore::productionMarkerPresent(kit.descriptor());
}

void writeOutput(Report& report, const QString& path, const QByteArray& bytes) {
    try {
        platform::writeBlock(path, bytes.constData(), bytes.size());
    } catch (const platform::EFileError& e) {
        throw Failure{Outcome::OutputFailed, QString::fromStdString(e.what())};
    }
    report.outputFiles << path;
}

namespace {

// The end of an exchange that a stop request cut short, in the words of the verb.
Failure interruptedFailure(const QString& verb) {
    QString detail;
    if (verb == QLatin1String("write"))
        detail = QStringLiteral("the write stopped part-way: the modem may hold part of the file");
    else if (verb == QLatin1String("erase"))
        detail = QStringLiteral("the erase stopped part-way: the modem may be partly erased");
    return {Outcome::Interrupted, QStringLiteral("Interrupted"), detail};
}

}  // namespace

void withModem(const Options& options, const ModelKit& kit, Report& report,
               const Exchange& exchange) {
    const PortTarget target = parsePort(options.port);
    TCommX comm;
    aimPort(comm, target);
    report.port = options.port;
    report.device = QString::fromStdString(comm.Device());
    kvcore::CommChannel line(comm);
    CountingChannel counted(line);
    const auto count = [&] {
        report.bytesSent = counted.sent();
        report.bytesReceived = counted.received();
    };
    // Before the session: the trace sees the port open and close.
    std::optional<kvcore::TraceRecording> recording;
    if (report.trace) recording.emplace(&comm, *report.trace);
    std::optional<kvcore::PortSession> session;
    try {
        session.emplace(comm);
    } catch (const ECommError& e) {
        throw Failure{Outcome::PortUnavailable, QString::fromStdString(e.what()),
                      QString::fromStdString(e.detail())};
    }
    const std::unique_ptr<kvcore::MemoryProgrammer> modem = kit.programmer(counted);
    kvcore::LinkResult r = kvcore::LinkResult::Ok;
    try {
        r = exchange(*modem, counted);
    } catch (const Interrupted&) {
        session->close();
        count();
        throw interruptedFailure(options.verb);
    }
    session->close();
    count();
    if (r != kvcore::LinkResult::Ok)
        throw Failure{Outcome::Communication, kvcore::commErrorMessage(r), report.detail};
}

void keepImage(const Options& options, Report& report, kvcore::ImageKind kind,
               const kvcore::MemoryImage& image) {
    if (options.noBackup) return;
    QString error;
    const QString file = kvcore::saveBackup(report.model, kind, image, &error);
    if (file.isEmpty())
        report.warnings << QStringLiteral("memory image not kept: ") + error;
    else
        report.backups.append({kind, file});
}

kvcore::LinkResult backupBeforeWriting(const Options& options, Report& report,
                                       ProgressSink& progress, kvcore::MemoryProgrammer& modem) {
    if (options.noBackup) return kvcore::LinkResult::Ok;
    kvcore::MemoryImage before{};
    const kvcore::LinkResult r =
        modem.readMemory(before, [&](int percent) { progress.progress("Receive", percent); });
    if (r != kvcore::LinkResult::Ok) {
        progress.interrupted();
        report.detail =
            QStringLiteral("The memory could not be read for its backup: nothing was written.");
        return r;
    }
    keepImage(options, report, kvcore::ImageKind::BeforeWrite, before);
    return r;
}

kvcore::MemoryImage readModem(const Options& options, const ModelKit& kit, Report& report,
                              ProgressSink& progress, bool* initialised) {
    kvcore::MemoryImage image{};
    bool marked = false;
    withModem(options, kit, report, [&](kvcore::MemoryProgrammer& modem, kvcore::ByteChannel&) {
        const kvcore::LinkResult r =
            modem.readMemory(image, [&](int percent) { progress.progress("Receive", percent); });
        if (r != kvcore::LinkResult::Ok) progress.interrupted();
        marked = modem.hasFormatMark(image);
        return r;
    });
    keepImage(options, report, kvcore::ImageKind::Read, image);
    if (initialised)
        *initialised = marked;
    else if (!marked)
        throw Failure{Outcome::NotInitialised, QStringLiteral("EEPROM Initialization Error!!")};
    return image;
}

}  // namespace kvctl::detail
