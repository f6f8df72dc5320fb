#pragma once
// The lines of a result log, and the progress lines a transfer writes into it.
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kvtest {

// Every line of the log, oldest first.
inline QStringList logLines(const QListWidget& log) {
    QStringList lines;
    for (int i = 0; i < log.count(); ++i) lines << log.item(i)->text();
    return lines;
}

// "   10 % Finished [<phase>]" and so on, from 10 up to `upTo` in steps of 10.
inline QStringList progressLines(const QString& phase, int upTo) {
    QStringList lines;
    for (int p = 10; p <= upTo; p += 10)
        lines << QString::asprintf("  %3d %% Finished [", p) + phase + QStringLiteral("]");
    return lines;
}

}  // namespace kvtest
