#pragma once
// Every memory image a tool reads whole from a modem is kept: a raw 256-byte file in
// QStandardPaths' GenericDataLocation + /kvprog/backups/ (~/.local/share/kvprog/backups/),
// named "<model>_<yyyyMMdd-HHmmss-zzz>_<kind>.img" in local time, the kind telling a plain
// read from the read-back of a write, of an erase, or the read taken before a write. Images
// older than a year go, and never more than 500 stay. No widgets here.
#include <QString>

#include "core/transfer.h"

namespace kvcore {

enum class ImageKind {
    Read,         // "read": a Receive, kvctl read, verify or show
    WriteVerify,  // "write-verify": the read-back after a table write or a restore
    EraseVerify,  // "erase-verify": the read-back after EEPROM INIT
    BeforeWrite,  // "before-write": kvctl's read before it writes, erases or restores
};
QString imageKindName(ImageKind kind);

constexpr int kBackupsKept = 500;
constexpr int kBackupDays = 365;

QString backupFolder();

// Saves `image` read from a `model` modem ("KV417R", "KV93x", "KV935R") and prunes the
// folder. Returns the file's path; empty, with the reason in `error`, when it could not be
// saved. Never throws.
QString saveBackup(const QString& model, ImageKind kind, const MemoryImage& image,
                   QString* error = nullptr);
// saveBackup for the windows: a failed save is one warning on stderr and nothing more.
void keepBackup(const QString& model, ImageKind kind, const MemoryImage& image);

}  // namespace kvcore
