#pragma once
#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace platform {

// A file that could not be found, opened, read or written; the message is plain English.
class EFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The path of `name` in the current folder: the exact name if it exists, else the first
// entry whose name matches case-insensitively (files copied from Windows keep odd case);
// empty when there is none.
QString findInCurrentFolder(const QString& name);

// True when a file of `name` is in the current folder, matched as findInCurrentFolder does.
// The name is in the file system's bytes, so that a name stored in Shift-JIS (not UTF-8) is
// found as well: its ASCII letters in any case, its two-byte characters as they are.
bool existsInCurrentFolder(const QByteArray& name);

// Reads exactly `size` bytes from the start of `path` into `dest`, opening it read-only,
// and returns the file's whole length. A shorter file fills what it has and raises "Read
// beyond end of file".
qint64 readBlock(const QString& path, void* dest, qsizetype size);

// Writes `size` bytes as the whole new content of `path`. The bytes go to a temporary
// file in the same folder that replaces the old one only when it is complete, so a
// failed write leaves the old file as it was.
void writeBlock(const QString& path, const void* data, qsizetype size);

// Writes `bytes` as a new file in `folder` (made when missing) named `stem` + `suffix`, or
// `stem` + "-2" + `suffix` and so on while that name is taken: no file is ever replaced,
// and the file appears under its name only once complete. Returns its path; EFileError when
// it cannot be written.
QString writeNewFile(const QString& folder, const QString& stem, const QString& suffix,
                     const QByteArray& bytes);

// Deletes the files of `folder` whose names match `pattern` (a regular expression for the
// whole name), the oldest first by modification time, so that at most `keep` stay and none
// older than `maxAgeDays` (0: no age limit). Files that cannot be deleted stay.
void pruneFiles(const QString& folder, const QString& pattern, int keep, int maxAgeDays = 0);

}  // namespace platform
