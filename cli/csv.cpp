#include "cli/csv.h"

#include <QStringDecoder>

namespace kvctl::csv {

ParseError::ParseError(int row, int column, const QString& what)
    : std::runtime_error(
          QStringLiteral("row %1, column %2: %3").arg(row).arg(column).arg(what).toStdString()),
      row_(row),
      column_(column) {}

namespace {

QString field(const QString& s) {
    const bool quote = s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) ||
                       s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')) ||
                       (!s.isEmpty() && (s.front().isSpace() || s.back().isSpace()));
    if (!quote) return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

QByteArray write(const QList<QStringList>& records) {
    QString text;
    for (const QStringList& r : records) {
        QStringList fields;
        for (const QString& f : r) fields << field(f);
        text += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return text.toUtf8();
}

QList<QStringList> read(const QByteArray& bytes) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(bytes);
    if (decode.hasError()) throw ParseError(1, 1, QStringLiteral("the file is not UTF-8 text"));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

    QList<QStringList> records;
    QStringList record;
    QString cur;
    int row = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto column = [&] { return int(record.size()) + 1; };
    const auto endRecord = [&] {
        record << cur;
        cur.clear();
        records << record;
        record.clear();
        ++row;
    };
    while (i < n) {
        // One field, then what ends it.
        if (text[i] == QLatin1Char('"')) {
            ++i;
            for (;;) {
                if (i >= n)
                    throw ParseError(row, column(), QStringLiteral("a quote is not closed"));
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        cur += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cur += text[i++];
            }
        } else {
            while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') &&
                   text[i] != QLatin1Char('\n')) {
                if (text[i] == QLatin1Char('"'))
                    throw ParseError(row, column(),
                                     QStringLiteral("a quote inside an unquoted field"));
                cur += text[i++];
            }
        }
        if (i >= n) {
            endRecord();
            break;
        }
        const QChar c = text[i];
        if (c == QLatin1Char(',')) {
            record << cur;
            cur.clear();
            ++i;
            if (i >= n) {  // a comma at the very end: one more empty field
                endRecord();
                break;
            }
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            i += (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ? 2 : 1;
            endRecord();
        } else {
            throw ParseError(row, column(), QStringLiteral("text after a closing quote"));
        }
    }
    return records;
}

}  // namespace kvctl::csv
