#pragma once
// A settings file held against a modem's memory, as a verify reports it: each field that
// differs in the windows' own words ("CH 3 RX Frq.", "SB"), then every compared byte that
// differs where no field tells the difference (bits the decoding does not read).
#include <QByteArray>
#include <QDate>
#include <QList>

#include "cli/kit.h"
#include "cli/report.h"

namespace kvctl {

// Empty when the modem holds every byte a write of `block` on `today` would compare.
QList<Difference> compareWithModem(const ModelKit& kit, const QByteArray& block,
                                   const kvcore::MemoryImage& modem, const QDate& today);

// "CH 3 RX Frq.: file 229.5125, modem 229.5000"; an empty word shows as "-".
QString differenceLine(const Difference& d);

}  // namespace kvctl
