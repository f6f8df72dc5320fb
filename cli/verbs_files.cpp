// The verbs on settings files: show, import (CSV to a settings file) and print (PDF).
#include <QFile>
#include <QRegularExpression>

#include "cli/csv.h"
#include "cli/verbs.h"
#include "platform/canvas.h"

namespace kvctl::detail {
namespace {

Failure cellError(int row, int column, const QString& heading, const QString& what) {
    return {Outcome::Usage,
            QStringLiteral("row %1, column %2 (%3): %4").arg(row).arg(column).arg(heading, what)};
}

// A frequency cell: digits with an optional '.' and decimals, whatever the locale says.
std::optional<double> csvFrequency(const QString& cell) {
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,6}(\\.[0-9]{1,12})?$"));
    const QString t = cell.trimmed();
    if (!number.match(t).hasMatch()) return std::nullopt;
    return QLocale::c().toDouble(t);
}

QString limitsText(double min, double max) {
    return QStringLiteral("%1 to %2 MHz")
        .arg(QString::asprintf("%3.4f", min), QString::asprintf("%3.4f", max));
}

QByteArray readWhole(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Failure{Outcome::Usage, QStringLiteral("%1: %2").arg(path, f.errorString())};
    return f.readAll();
}

}  // namespace

void show(const Options& o, ProgressSink& progress, Report& r) {
    if (!o.files.isEmpty()) {
        const SettingsFile file = loadSettingsFile(o.files[0], o);
        r.model = file.model;
        r.table = file.kit->openedView(file.block);
        r.message = QStringLiteral("File Open [ ") + o.files[0] + QStringLiteral(" ]");
        return;
    }
    const ModelKit& kit = namedKit(o, &r.model);
    r.table = kit.receivedView(readModem(o, kit, r, progress));
    r.message = QStringLiteral("Receive Finished");
}

void import(const Options& o, Report& r) {
    const ModelKit& kit = namedKit(o, &r.model);
    QByteArray block = o.base.isEmpty() ? kit.defaultBlock() : loadSettingsFile(o.base, o).block;
    QList<QStringList> records;
    try {
        records = csv::read(readWhole(o.files[0]));
    } catch (const csv::ParseError& e) {
        throw Failure{Outcome::Usage, QString::fromStdString(e.what())};
    }
    const QStringList header = QStringList{QStringLiteral("CH")} + kit.openedView(block).columns;
    if (records.isEmpty() || records[0] != header)
        throw Failure{
            Outcome::Usage,
            QStringLiteral("row 1: the header must be %1").arg(header.join(QLatin1Char(',')))};

    const kvcore::ModelDescriptor& model = kit.descriptor();
    const kvcore::FrqLimits limits =
        production(o, kit) ? model.productionLimits : model.normalLimits;
    const QList<const QStringList*> boxes = kit.channelBoxItems();
    QList<bool> seen(kvcore::kChannels, false);
    for (qsizetype i = 1; i < records.size(); ++i) {
        const int row = int(i) + 1;
        const QStringList& cells = records[i];
        if (cells.size() != header.size())
            throw Failure{Outcome::Usage, QStringLiteral("row %1: %2 cells, the header has %3")
                                              .arg(row)
                                              .arg(cells.size())
                                              .arg(header.size())};
        bool isNumber = false;
        const int ch = cells[0].trimmed().toInt(&isNumber);
        if (!isNumber || ch < 1 || ch > kvcore::kChannels)
            throw cellError(row, 1, header[0],
                            QStringLiteral("'%1' is no channel 1 to 16").arg(cells[0]));
        if (seen[ch - 1])
            throw cellError(row, 1, header[0],
                            QStringLiteral("channel %1 has a row already").arg(ch));
        seen[ch - 1] = true;

        // A row without values is an empty channel, as Clear leaves it.
        bool empty = true;
        for (qsizetype c = 1; c < cells.size(); ++c) empty = empty && cells[c].trimmed().isEmpty();
        if (empty) {
            kit.clearChannel(block, ch);
            continue;
        }
        double frq[2] = {0, 0};
        const double mins[2] = {limits.RxFrqMin, limits.TxFrqMin};
        const double maxs[2] = {limits.RxFrqMax, limits.TxFrqMax};
        for (int k = 0; k < 2; ++k) {
            const std::optional<double> f = csvFrequency(cells[1 + k]);
            if (!f)
                throw cellError(row, 2 + k, header[1 + k],
                                QStringLiteral("'%1' is no frequency in MHz").arg(cells[1 + k]));
            if (!kvcore::withinLimits(*f, mins[k], maxs[k]))
                throw cellError(row, 2 + k, header[1 + k],
                                QStringLiteral("%1 lies outside %2")
                                    .arg(cells[1 + k].trimmed(), limitsText(mins[k], maxs[k])));
            if (!kit.setAcceptsFrequency(*f, mins[k], maxs[k]))
                throw cellError(row, 2 + k, header[1 + k],
                                QStringLiteral("no reference step (25, 12.5, 6.25 or 5 kHz) "
                                               "divides %1")
                                    .arg(cells[1 + k].trimmed()));
            frq[k] = *f;
        }
        QList<int> indexes;
        for (qsizetype b = 0; b < boxes.size(); ++b) {
            const qsizetype cell = b + 3;  // after CH and the two frequencies
            const int index = int(boxes[b]->indexOf(cells[cell].trimmed()));
            if (index < 0)
                throw cellError(row, int(cell) + 1, header[cell],
                                QStringLiteral("'%1' is not one of %2")
                                    .arg(cells[cell], boxes[b]->join(QStringLiteral(", "))));
            indexes << index;
        }
        kit.storeChannel(block, ch, frq[0], frq[1], indexes);
    }
    for (int ch = 1; ch <= kvcore::kChannels; ++ch)
        if (!seen[ch - 1])
            throw Failure{Outcome::Usage,
                          QStringLiteral("the table has no row for channel %1").arg(ch)};
    writeOutput(r, o.output, block);
    r.message = QStringLiteral("File SaveAs [ ") + o.output + QStringLiteral(" ]");
}

void print(const Options& o, Report& r) {
    const SettingsFile file = loadSettingsFile(o.files[0], o);
    r.model = file.model;
    try {
        platform::TPdfCanvas canvas(o.pdf);
        file.kit->printList(canvas, file.block, o.files[0], QDateTime::currentDateTime());
    } catch (const platform::EPrintError& e) {
        throw Failure{Outcome::OutputFailed, QString::fromStdString(e.what())};
    }
    r.outputFiles << o.pdf;
    r.message = QStringLiteral("Print Finished");
}

}  // namespace kvctl::detail
