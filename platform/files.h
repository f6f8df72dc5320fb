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

}  // namespace platform
