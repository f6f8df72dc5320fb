#include "platform/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace platform {
namespace {

std::string describe(QFileDevice::FileError error, const QString& path, int err = 0) {
    const std::string name = QFileInfo(path).fileName().toStdString();
    switch (error) {
        case QFileDevice::OpenError:
        case QFileDevice::PermissionsError:
            if (err == ENOENT || !QFileInfo::exists(path)) return "File not found: " + name;
            if (err == EACCES || err == EPERM || err == EROFS ||
                error == QFileDevice::PermissionsError)
                return "Access denied: " + name;
            break;
        case QFileDevice::ResourceError:
            return "Disk full: " + name;
        default:
            break;
    }
    if (err == ENOSPC) return "Disk full: " + name;
    if (err != 0) return std::string(std::strerror(err)) + ": " + name;
    return "Input/output error: " + name;
}

bool isRegularFile(const char* name) {
    struct stat st {};
    return ::stat(name, &st) == 0 && S_ISREG(st.st_mode);
}

// Shift-JIS names: ASCII letters compare in any case; a two-byte character (lead byte
// 0x81..0x9F or 0xE0..0xFC) compares as it is, since its second byte may look like a letter.
bool sameShiftJisName(const char* entry, const QByteArray& name) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const auto isLead = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (entry[i] == '\0') return false;
        if (isLead(name[i]) && i + 1 < name.size()) {
            if (entry[i] != name[i] || entry[i + 1] != name[i + 1]) return false;
            ++i;
        } else if (lower(entry[i]) != lower(name[i])) {
            return false;
        }
    }
    return entry[name.size()] == '\0';
}

}  // namespace

QString findInCurrentFolder(const QString& name) {
    if (name.isEmpty()) return {};
    if (QFileInfo(name).isFile()) return name;
    const QStringList entries =
        QDir::current().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

bool existsInCurrentFolder(const QByteArray& name) {
    if (name.isEmpty() || name.contains('\0')) return false;
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() == name) return !findInCurrentFolder(text).isEmpty();
    if (isRegularFile(name.constData())) return true;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("."), ::closedir);
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir.get()))
        if (sameShiftJisName(entry->d_name, name) && isRegularFile(entry->d_name)) return true;
    return false;
}

qint64 readBlock(const QString& path, void* dest, qsizetype size) {
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) throw EFileError(describe(f.error(), path, errno));
    qsizetype got = 0;
    while (got < size) {
        const qint64 n = f.read(static_cast<char*>(dest) + got, size - got);
        if (n < 0) throw EFileError(describe(f.error(), path, errno));
        if (n == 0) break;
        got += n;
    }
    if (got < size)
        throw EFileError("Read beyond end of file: " + QFileInfo(path).fileName().toStdString());
    return std::max<qint64>(f.size(), got);
}

void writeBlock(const QString& path, const void* data, qsizetype size) {
    QSaveFile f(path);
    errno = 0;
    // Unbuffered: a buffered QSaveFile commits a file cut short by a full disk as if all
    // was well. Each short write is retried so that errno tells why it stopped.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EFileError(describe(f.error(), path, errno));
    const char* bytes = static_cast<const char*>(data);
    for (qsizetype done = 0; done < size;) {
        errno = 0;
        const qint64 n = f.write(bytes + done, size - done);
        if (n <= 0) {
            const int err = errno;
            f.cancelWriting();
            throw EFileError(describe(f.error(), path, err));
        }
        done += n;
    }
    if (!f.commit()) throw EFileError(describe(f.error(), path, errno));
}

QString writeNewFile(const QString& folder, const QString& stem, const QString& suffix,
                     const QByteArray& bytes) {
    if (!QDir().mkpath(folder)) throw EFileError("Cannot make the folder " + folder.toStdString());
    // Written aside under a hidden name, then linked to its name: link() never replaces a
    // file, so two programs saving at the same moment both keep theirs.
    QTemporaryFile part(
        QDir(folder).filePath(QStringLiteral(".") + stem + QStringLiteral(".XXXXXX")));
    errno = 0;
    if (!part.open()) throw EFileError(describe(part.error(), part.fileName(), errno));
    errno = 0;
    if (part.write(bytes) != bytes.size() || !part.flush())
        throw EFileError(describe(part.error(), stem + suffix, errno));
    const QByteArray from = QFile::encodeName(part.fileName());
    for (int n = 1; n <= 1000; ++n) {
        const QString name = stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + suffix;
        const QString path = QDir(folder).filePath(name);
        if (::link(from.constData(), QFile::encodeName(path).constData()) == 0) return path;
        if (errno != EEXIST) throw EFileError(describe(QFileDevice::WriteError, path, errno));
    }
    throw EFileError("Too many files of the same name: " + (stem + suffix).toStdString());
}

void pruneFiles(const QString& folder, const QString& pattern, int keep, int maxAgeDays) {
    const QRegularExpression wanted(QRegularExpression::anchoredPattern(pattern));
    QFileInfoList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        if (wanted.match(f.fileName()).hasMatch()) files << f;
    // Newest first; the name decides between files of the same moment.
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta != tb ? ta > tb : a.fileName() > b.fileName();
    });
    const QDateTime oldest = QDateTime::currentDateTime().addDays(-maxAgeDays);
    for (qsizetype i = 0; i < files.size(); ++i)
        if (i >= keep || (maxAgeDays > 0 && files[i].lastModified() < oldest))
            QFile::remove(files[i].filePath());
}

}  // namespace platform
