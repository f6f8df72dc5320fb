#pragma once
// What both models do alike with their tables of set-mode controls (each entry has `name`,
// `errorName`, `kind`, `items` and `field`, a member of the model's set-mode struct): find a
// control by its field, the values the controls show of stored ones, and the selections the
// write's checks go through.
#include <stdexcept>
#include <vector>

#include "core/frequency.h"
#include "core/items.h"
#include "core/transfer.h"

namespace kvcore {

template <class Control, class Field>
const Control& controlFor(const std::vector<Control>& controls, Field field) {
    for (const Control& c : controls)
        if (c.field == field) return c;
    throw std::logic_error("no set-mode control for that field");
}

template <class Control, class Mode>
Mode shownValues(const std::vector<Control>& controls, const Mode& stored) {
    Mode shown = stored;
    for (const Control& c : controls)
        shown.*c.field = shownIndex(c.kind, stored.*c.field, static_cast<int32_t>(c.items->size()));
    return shown;
}

template <class Control, class Mode>
std::vector<SettingSelection> selections(const std::vector<Control>& controls, const Mode& m) {
    std::vector<SettingSelection> out;
    for (const Control& c : controls) out.push_back({m.*c.field, c.errorName});
    return out;
}

// The write's checks: the first control without a selection, then (normal mode only) no
// channel with both frequencies, then the first channel `hasNoCode` says the modem cannot
// hold, named as the grid labels it ("Setting Error!! [Frq. Data CH 3]").
template <class Control, class Mode, class Channels, class NoCode>
QString firstWriteError(const std::vector<Control>& controls, const Mode& m,
                        const Channels& channels, bool production, NoCode hasNoCode) {
    // Production mode may write a table without any channel that has both frequencies.
    const QString error = firstSettingError(
        selections(controls, m), !production && !anyChannelWithBothFrequencies(channels));
    if (!error.isEmpty()) return error;
    int ch = 1;
    for (const auto& c : channels) {
        if (hasNoCode(c))
            return QStringLiteral("Setting Error!! [Frq. Data ") + channelLabel(ch) +
                   QStringLiteral("]");
        ++ch;
    }
    return {};
}

}  // namespace kvcore
