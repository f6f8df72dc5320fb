// The fuzz targets' seeds (golden images, the replies and frames of real exchanges, port
// files) and their past findings, replayed through the targets' checks: links over the
// scripted line, decoders, emulators and the port file keep their promises on all of them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzz/check.h"

namespace {

QStringList inputs(const QString& kind, const char* target) {
    const QDir dir(QStringLiteral(KV_FUZZ_DIR "/") + kind + "/" + target);
    QStringList paths;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) paths << dir.filePath(name);
    return paths;
}

void replay(const kvfuzz::Target& target, const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = f.readAll();
    try {
        target.check({reinterpret_cast<const uint8_t*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size())});
    } catch (const kvfuzz::Violation& v) {
        ADD_FAILURE() << path.toStdString() << ": " << v.what();
    }
}

TEST(FuzzReplay, SeedsAndFindingsOfEveryTargetPass) {
    for (const kvfuzz::Target& target : kvfuzz::targets()) {
        SCOPED_TRACE(target.name);
        const QStringList seeds = inputs("corpus", target.name);
        EXPECT_FALSE(seeds.isEmpty()) << "no seed corpus";
        for (const QString& path : seeds + inputs("regressions", target.name)) replay(target, path);
    }
}

}  // namespace
