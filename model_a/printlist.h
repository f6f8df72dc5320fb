#pragma once
// The printed "Setting Data List" of kvprog_a: one page drawn from the settings block on a
// canvas, every position a multiple of the width (W) and height (H) of the text "W".
// No widgets here.
#include <QDateTime>
#include <QString>

#include "model_a/chdata.h"

namespace platform {
class TCanvas;
}

namespace kva {

// The last component of a path, with '/' or '\\' as the folder separator (names saved on
// Windows keep their backslashes).
QString fileNamePart(const QString& path);

// Begins a document on `canvas`, draws the list for `data` (channels and set-mode fields),
// the name part of `fileName` and the date and time of `now`, and ends the document.
void printSettingList(platform::TCanvas& canvas, const TSetData& data, const QString& fileName,
                      const QDateTime& now);

}  // namespace kva
