#pragma once
// A protocol trace read back as a support engineer reads it, and the trace and backup
// folders of the running test (the test main points XDG_STATE_HOME and XDG_DATA_HOME into the
// test's own folder).
#include <QByteArray>
#include <QDir>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "testdir.h"

namespace kvtest {

struct TraceText {
    std::vector<uint8_t> tx, rx;  // every byte of the TX and RX lines, in order
    QStringList events;           // the other lines without their time: "OPEN ...", "CLOSE"
    int timeouts = 0;
    QString result;    // what follows "RESULT "
    int badLines = 0;  // lines of none of the documented forms
};

inline TraceText parseTrace(const QByteArray& text) {
    static const QRegularExpression timed(QStringLiteral("^ *\\d+ (\\S.*)$"));
    TraceText t;
    for (const QString& line : QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('#')) continue;
        if (line.startsWith(QLatin1String("RESULT "))) {
            t.result = line.mid(7);
            continue;
        }
        const QRegularExpressionMatch m = timed.match(line);
        if (!m.hasMatch()) {
            ++t.badLines;
            continue;
        }
        const QString what = m.captured(1);
        if (what.startsWith(QLatin1String("TX ")) || what.startsWith(QLatin1String("RX "))) {
            std::vector<uint8_t>& bytes = what.startsWith('T') ? t.tx : t.rx;
            for (const QString& b : what.mid(3).split(' ', Qt::SkipEmptyParts)) {
                bool hex = false;
                bytes.push_back(static_cast<uint8_t>(b.toUInt(&hex, 16)));
                if (!hex || b.size() != 2) ++t.badLines;
            }
            continue;
        }
        if (what.startsWith(QLatin1String("TIMEOUT"))) ++t.timeouts;
        t.events << what;
    }
    return t;
}

// Every byte of the frames, one after another.
template <class Frames>
std::vector<uint8_t> concatenated(const Frames& frames) {
    std::vector<uint8_t> out;
    for (const auto& f : frames) out.insert(out.end(), f.begin(), f.end());
    return out;
}

inline QString traceFolder() {
    return currentTestDir() + QStringLiteral("/.state/kvprog/traces");
}
inline QString backupFolder() {
    return currentTestDir() + QStringLiteral("/.data/kvprog/backups");
}
// The file names in a folder, sorted by name (so by time for traces and backups).
inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

}  // namespace kvtest
