#include "testdir.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace kvtest {

QString artefactPath(const QString& fileName) {
    QDir dir(QStringLiteral(KV_BUILD_DIR "/artefacts"));
    dir.mkpath(QStringLiteral("."));
    return dir.filePath(fileName);
}

QString currentTestDir() {
    return QDir::currentPath();
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("test could not write " + name.toStdString());
}

QByteArray readFile(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace kvtest
