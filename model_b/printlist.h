#pragma once
// The printed "Setting Data List" of kvprog_b: the KV935R/938R title, seven channel columns
// and seven set-mode lines on the page both tools share, drawn from the settings block.
#include <QDateTime>
#include <QString>

#include "model_b/chdata.h"

namespace platform {
class TCanvas;
}

namespace kvb {

// Begins a document on `canvas`, draws the list for `data` (channels and set-mode fields),
// the name part of `fileName` and the date and time of `now`, and ends the document.
void printSettingList(platform::TCanvas& canvas, const TSetData& data, const QString& fileName,
                      const QDateTime& now);

}  // namespace kvb
