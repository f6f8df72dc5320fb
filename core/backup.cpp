#include "core/backup.h"

#include <QByteArray>
#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>

#include "platform/files.h"

namespace kvcore {

QString imageKindName(ImageKind kind) {
    switch (kind) {
        case ImageKind::Read:
            return QStringLiteral("read");
        case ImageKind::WriteVerify:
            return QStringLiteral("write-verify");
        case ImageKind::EraseVerify:
            return QStringLiteral("erase-verify");
        case ImageKind::BeforeWrite:
            return QStringLiteral("before-write");
    }
    return {};
}

QString backupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kvprog/backups");
}

QString saveBackup(const QString& model, ImageKind kind, const MemoryImage& image, QString* error) {
    QString name = model;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    const QString stem =
        name + QLatin1Char('_') +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
        QLatin1Char('_') + imageKindName(kind);
    const QString folder = backupFolder();
    try {
        const QString path = platform::writeNewFile(
            folder, stem, QStringLiteral(".img"),
            QByteArray(reinterpret_cast<const char*>(image.data()), kMemorySize));
        // Only files of this naming: anything else a user put there stays.
        platform::pruneFiles(
            folder, QStringLiteral("[A-Za-z0-9-]+_\\d{8}-\\d{6}-\\d{3}_[a-z-]+(-\\d+)?\\.img"),
            kBackupsKept, kBackupDays);
        return path;
    } catch (const platform::EFileError& e) {
        if (error) *error = QString::fromStdString(e.what()) + QStringLiteral(" in ") + folder;
        return {};
    }
}

void keepBackup(const QString& model, ImageKind kind, const MemoryImage& image) {
    QString error;
    if (saveBackup(model, kind, image, &error).isEmpty())
        qWarning("memory image not kept: %s", qPrintable(error));
}

}  // namespace kvcore
