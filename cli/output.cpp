#include "cli/output.h"

#include <QJsonDocument>
#include <QLocale>
#include <cmath>

#include "cli/compare.h"
#include "cli/csv.h"

namespace kvctl {
namespace {

void put(std::FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

QString portLine(const QJsonObject& p) {
    QStringList parts{p["device"].toString()};
    QStringList coms;
    for (const QJsonValue& n : p["com"].toArray()) coms << QStringLiteral("COM%1").arg(n.toInt());
    if (!coms.isEmpty()) parts << coms.join(QLatin1Char(' '));
    if (!p["vendor_id"].isNull())
        parts << p["vendor_id"].toString() + QLatin1Char(':') + p["product_id"].toString();
    for (const char* key : {"manufacturer", "description"})
        if (!p[QLatin1String(key)].isNull()) parts << p[QLatin1String(key)].toString();
    if (!p["serial_number"].isNull())
        parts << QStringLiteral("serial ") + p["serial_number"].toString();
    for (const QJsonValue& id : p["by_id"].toArray()) parts << id.toString();
    return parts.join(QStringLiteral("  ")) + QLatin1Char('\n');
}

}  // namespace

QByteArray tableText(const TableView& t) {
    // Column widths from the longest text of each column.
    QList<qsizetype> widths{2};  // "CH", "16"
    for (qsizetype c = 0; c < t.columns.size(); ++c) {
        qsizetype w = t.columns[c].size();
        for (const TableView::Row& r : t.rows) w = std::max(w, r.cells.value(c).size());
        widths << w;
    }
    const auto line = [&](const QStringList& cells) {
        QString s;
        for (qsizetype c = 0; c < cells.size(); ++c)
            s += cells[c].leftJustified(widths[c]) + QStringLiteral("  ");
        return s.trimmed() + QLatin1Char('\n');
    };
    QString text = line(QStringList{QStringLiteral("CH")} + t.columns);
    for (const TableView::Row& r : t.rows)
        text += line(QStringList{QString::number(r.channel)} + r.cells);
    text += QLatin1Char('\n');
    qsizetype w = 0;
    for (const TableView::Control& c : t.setMode) w = std::max(w, c.caption.size());
    for (const TableView::Control& c : t.setMode)
        text += c.caption.leftJustified(w) + QStringLiteral(" : ") +
                (c.value.isEmpty() ? QStringLiteral("-") : c.value) + QLatin1Char('\n');
    return text.toUtf8();
}

namespace {

// Four decimals as the grid shows them, or as many more as the value needs to come back
// (a 6.25 kHz step has a fifth: 233.00625, which "%3.4f" would round away). A value decoded
// from a modem may lie a rounding error beside its text; that does not count.
QString exactFrequency(double f) {
    for (int decimals = 4; decimals < 6; ++decimals) {
        const QString text = QString::asprintf("%3.*f", decimals, f);
        if (std::fabs(QLocale::c().toDouble(text) - f) < 1e-9) return text;
    }
    return QString::asprintf("%3.6f", f);
}

}  // namespace

QByteArray tableCsv(const TableView& t) {
    QList<QStringList> records{QStringList{QStringLiteral("CH")} + t.columns};
    for (const TableView::Row& r : t.rows) {
        // A channel a write does not send is an empty row: the same as Clear leaves it.
        QStringList cells{QString::number(r.channel)};
        for (qsizetype c = 0; c < t.columns.size(); ++c)
            cells << (r.used ? r.cells.value(c) : QString());
        if (r.used) {
            cells[1] = exactFrequency(r.rx);
            cells[2] = exactFrequency(r.tx);
        }
        records << cells;
    }
    return csv::write(records);
}

void printReport(const Report& r, const Options& o, std::FILE* out, std::FILE* err) {
    if (o.json) {
        std::fputs(QJsonDocument(toJson(r)).toJson(QJsonDocument::Indented).constData(), out);
    } else {
        if (r.table) {
            if (o.format == QLatin1String("csv"))
                put(out, QString::fromUtf8(tableCsv(*r.table)));
            else if (o.format == QLatin1String("json"))
                put(out, QString::fromUtf8(QJsonDocument(tableJson(*r.table)).toJson()));
            else
                put(out, QString::fromUtf8(tableText(*r.table)));
        }
        if (r.ports)
            for (const QJsonValue& p : *r.ports) put(out, portLine(p.toObject()));
        for (const Difference& d : r.differences) put(out, differenceLine(d) + QLatin1Char('\n'));
        if (r.ok() && !r.table) put(out, r.message + QLatin1Char('\n'));
    }
    for (const Backup& b : r.backups)
        put(err, QStringLiteral("kvctl: memory image kept: ") + b.file + QLatin1Char('\n'));
    for (const QString& w : r.warnings)
        put(err, QStringLiteral("kvctl: warning: ") + w + QLatin1Char('\n'));
    if (!r.ok()) {
        put(err, QStringLiteral("kvctl: ") + r.message + QLatin1Char('\n'));
        if (!r.detail.isEmpty()) put(err, QStringLiteral("kvctl: ") + r.detail + QLatin1Char('\n'));
    }
    std::fflush(out);
    std::fflush(err);
}

}  // namespace kvctl
