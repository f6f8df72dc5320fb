#include "core/items.h"

namespace kvcore {

const QString& itemText(const QStringList& texts, int32_t index) {
    static const QString empty;
    return (index >= 0 && index < texts.size()) ? texts[index] : empty;
}

int32_t shownIndex(ControlKind kind, int32_t index, int32_t count) {
    if (index < 0 || count <= 0) return -1;
    if (index < count) return index;
    return kind == ControlKind::RadioGroup ? count - 1 : -1;
}

namespace items {

const QStringList& br() {
    static const QStringList list = {"4800", "2400/1200"};
    return list;
}
const QStringList& da() {
    static const QStringList list = {"OFF", "ON"};
    return list;
}
const QStringList& mbr() {
    static const QStringList list = {"2400", "1200"};
    return list;
}
const QStringList& tot() {
    static const QStringList list = {"OFF", " 30", " 60", " 90", "120", "150",
                                     "180", "240", "300", "600", "900", "1200"};
    return list;
}
const QStringList& save() {
    static const QStringList list = {"OFF", "0.5", "1.0", "1.5", "2.0", "3.0", "5.0", "7.0", "9.0"};
    return list;
}

}  // namespace items

}  // namespace kvcore
