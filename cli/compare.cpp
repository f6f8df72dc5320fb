#include "cli/compare.h"

namespace kvctl {
namespace {

QString hexByte(uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QList<Difference> fieldDifferences(const TableView& file, const TableView& modem) {
    QList<Difference> out;
    for (qsizetype r = 0; r < file.rows.size(); ++r) {
        const TableView::Row& f = file.rows[r];
        const TableView::Row& m = modem.rows[r];
        for (qsizetype c = 0; c < file.columns.size(); ++c) {
            const QString fw = f.cells.value(c);
            const QString mw = m.cells.value(c);
            if (fw != mw)
                out.append(
                    {kvcore::channelLabel(f.channel) + QLatin1Char(' ') + file.columns[c], fw, mw});
        }
    }
    for (qsizetype k = 0; k < file.setMode.size(); ++k)
        if (file.setMode[k].value != modem.setMode[k].value)
            out.append({file.setMode[k].caption, file.setMode[k].value, modem.setMode[k].value});
    return out;
}

}  // namespace

QList<Difference> compareWithModem(const ModelKit& kit, const QByteArray& block,
                                   const kvcore::MemoryImage& modem, const QDate& today) {
    const kvcore::MemoryImage written = kit.writeImage(block, today);
    // Both sides in the words a Receive of them would show.
    QList<Difference> out = fieldDifferences(kit.receivedView(written), kit.receivedView(modem));
    // The modem's bytes as its own fields would write them again: where that differs from
    // the modem, the decoding dropped something no field shows.
    const kvcore::MemoryImage rewritten = kit.writeImage(kit.receivedBlock(modem), today);
    const bool fieldsAgree = out.isEmpty();
    for (int a = 0; a < kvcore::kMemorySize; ++a) {
        if (!kit.comparedByte(a) || written[a] == modem[a]) continue;
        if (fieldsAgree || rewritten[a] != modem[a])
            out.append({QStringLiteral("byte 0x%1").arg(hexByte(static_cast<uint8_t>(a))),
                        hexByte(written[a]), hexByte(modem[a]), a});
    }
    return out;
}

QString differenceLine(const Difference& d) {
    const auto word = [](const QString& w) { return w.isEmpty() ? QStringLiteral("-") : w; };
    return QStringLiteral("%1: file %2, modem %3").arg(d.field, word(d.file), word(d.modem));
}

}  // namespace kvctl
