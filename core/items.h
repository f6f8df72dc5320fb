#pragma once
// The item lists both tools' windows show with the same texts, and the text of an item
// index. No widgets here.
#include <QString>
#include <QStringList>
#include <cstdint>

namespace kvcore {

// The text of `index` in `texts`, or an empty text for an index outside the list (settings
// files and modems may hold any value).
const QString& itemText(const QStringList& texts, int32_t index);

// How a set-mode control shows a stored item index, the index a write then reads from it.
enum class ControlKind {
    RadioGroup,  // below 0: none; past the end: the last item
    DropDown,    // outside the items: none
};
int32_t shownIndex(ControlKind kind, int32_t index, int32_t count);

namespace items {
const QStringList& br();    // "4800", "2400/1200"
const QStringList& da();    // "OFF", "ON"
const QStringList& mbr();   // "2400", "1200"
const QStringList& tot();   // time-out timer, seconds: "OFF", " 30" .. "1200"
const QStringList& save();  // save time, seconds: "OFF", "0.5" .. "9.0"
}  // namespace items

}  // namespace kvcore
