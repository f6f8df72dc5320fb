#pragma once
// The verbs: each is a function of the parsed options and a progress sink that returns its
// report. Nothing here prints; main.cpp turns the report into output and an exit code.
#include <QDate>
#include <QString>
#include <functional>

#include "cli/options.h"
#include "cli/progress.h"
#include "cli/report.h"

namespace kvctl {

Report runVerb(const Options& options, ProgressSink& progress);

// What the verbs share, in verbs_common.cpp.
namespace detail {

// A settings file with the kit it belongs to: `named` (from --model) takes the file's first
// bytes when it is longer and refuses a shorter one, as the windows' Open does after the
// long-file question; without it the size tells the model. Failure(Usage) otherwise.
struct SettingsFile {
    const ModelKit* kit;
    QString model;
    QByteArray block;
};
SettingsFile loadSettingsFile(const QString& path, const Options& options);

// The file of a write, loaded and passed by the write's checks (its model in `report`);
// Failure(Usage) or Failure(SettingRefused) otherwise.
SettingsFile fileToWrite(const Options& options, Report& report);

// The kit and name --model gives; Failure(Usage) without one.
const ModelKit& namedKit(const Options& options, QString* model);

// Production mode: --production, or the model's marker file in the current folder.
bool production(const Options& options, const ModelKit& kit);

// Writes `bytes` as the whole new content of `path` (atomically) and adds it to the report;
// Failure(OutputFailed) when it cannot be written.
void writeOutput(Report& report, const QString& path, const QByteArray& bytes);

// Opens the port of `options` on the modem line and runs `exchange` on the model's
// programmer through a counting channel; the port is closed on every way out. Fills the
// port, device and byte counts of `report`; Failure(PortUnavailable) when the port cannot be
// opened, Failure(Communication) for a link error that `exchange` returns,
// Failure(Interrupted) when a stop request ended it (interrupt.h).
using Exchange = std::function<kvcore::LinkResult(kvcore::MemoryProgrammer&, kvcore::ByteChannel&)>;
void withModem(const Options& options, const ModelKit& kit, Report& report,
               const Exchange& exchange);

// The whole memory read from the modem, kept as a backup image. Without `initialised` its
// format mark must be there (Failure(NotInitialised)); with it, `initialised` tells whether
// it is.
kvcore::MemoryImage readModem(const Options& options, const ModelKit& kit, Report& report,
                              ProgressSink& progress, bool* initialised = nullptr);

// Keeps `image` as a backup of `kind` and names it in `report`, unless --no-backup; a save
// that fails is a warning, never a failure.
void keepImage(const Options& options, Report& report, kvcore::ImageKind kind,
               const kvcore::MemoryImage& image);

// Before a verb writes: the whole memory read and kept (unless --no-backup). A failed read
// is returned and tells the report that nothing was written.
kvcore::LinkResult backupBeforeWriting(const Options& options, Report& report,
                                       ProgressSink& progress, kvcore::MemoryProgrammer& modem);

// The verbs on files and the port list; each fills `report` as it goes and throws Failure
// where it ends early.
void show(const Options& options, ProgressSink& progress, Report& report);
void import(const Options& options, Report& report);
void print(const Options& options, Report& report);
void ports(Report& report);

}  // namespace detail
}  // namespace kvctl
