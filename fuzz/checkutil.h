#pragma once
// Pieces the checks share: the input as a memory image, what the window's controls show for
// an index, and the shapes of grid texts.
#include <QLocale>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <string>

#include "core/transfer.h"
#include "fuzz/check.h"

namespace kvfuzz {

// The first 256 bytes of the input, zeros where it is shorter.
inline kvcore::MemoryImage imageFrom(Bytes input) {
    kvcore::MemoryImage image{};
    std::copy_n(input.begin(), std::min(input.size(), image.size()), image.begin());
    return image;
}

// A radio group: -1 for none, values below -1 become -1, values past the end the last item.
inline int radioShows(int index, int items) {
    return index < -1 ? -1 : std::min(index, items - 1);
}
// A drop-down list: an index outside its items leaves it without a selection.
inline int comboShows(int index, int items) {
    return index >= 0 && index < items ? index : -1;
}

// "%3.4f" with the locale's decimal separator, at most `longest` characters.
inline bool isFrequencyText(const QString& text, int longest) {
    static const QString point = QLocale().decimalPoint();  // the locale stays during a run
    const qsizetype at = text.indexOf(point);
    const qsizetype sign = text.startsWith(u'-') ? 1 : 0;
    const auto digits = [&text](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            if (!text[i].isDigit() || text[i].unicode() > '9') return false;
        return true;
    };
    return text.size() <= longest && at > sign && at - sign <= 4 &&
           text.size() - at - point.size() == 4 && digits(sign, at) &&
           digits(at + point.size(), text.size());
}

// Empty, or one of the column's own texts.
inline bool emptyOrOneOf(const QString& text, const QStringList& texts) {
    return text.isEmpty() || texts.contains(text);
}

inline std::string cell(int channel, int column, const QString& text) {
    return "CH" + std::to_string(channel) + " column " + std::to_string(column) + " '" +
           text.toStdString() + "'";
}

}  // namespace kvfuzz
