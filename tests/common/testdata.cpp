#include "testdata.h"

#include <QFile>

namespace kvtest {

QByteArray testData(const QString& name) {
    QFile f(QStringLiteral(KV_TEST_DATA_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("test data " + name.toStdString() + " cannot be read");
    return f.readAll();
}

}  // namespace kvtest
