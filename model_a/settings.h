#pragma once
// What the KV417R's main window does with its settings apart from its widgets: the set-mode
// controls (captions, items and what each shows of a stored index), what Set stores, the
// checks before a write, the image a write sends and the block a Receive leaves for Save As.
// The window and kvctl both work through these. No widgets here.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

#include "core/items.h"
#include "model_a/chdata.h"

namespace kva {

// One set-mode control: its component name, its (group) caption, its name in the write's
// "Setting Error!! [...]" box, its kind and items, and its field of the block.
struct SetModeControl {
    const char* name;
    const char* caption;
    const char* errorName;
    kvcore::ControlKind kind;
    const QStringList* items;
    int32_t TSetMode::*field;
};

// The thirteen controls in block order, which is also the order of the write's checks.
const std::vector<SetModeControl>& setModeControls();
const SetModeControl& setModeControl(int32_t TSetMode::*field);

// What the controls hold once they have been given `stored` (File > Open, a Receive): a
// radio group past its items shows its last item, a drop-down list outside its items none.
TSetMode shownSetMode(const TSetMode& stored);

// The box text of the first reason not to write, in the window's order: a set-mode control
// without a selection, then (normal mode only) no channel with both frequencies, then a used
// channel whose frequency the modem's six digits cannot hold. Empty when the write may go.
QString firstSettingError(const TSetData& table, const TSetMode& controls, bool production);

// The 256 bytes a write sends for `table` and the set-mode controls.
MemoryImage writeImage(const TSetData& table, const TSetMode& controls);

// The table and set-mode controls after a Receive of `image` (the defaults, then the decoded
// channels and controls): the block Save As then writes.
TSetData receivedBlock(const MemoryImage& image);

// The edit panel's drop-down lists in grid order: power, baud rate, data/audio, modem baud
// rate, squelch.
constexpr int kChannelBoxes = 5;
const std::array<const QStringList*, kChannelBoxes>& channelBoxItems();
// The channel Set stores from the edit panel: both frequencies and the five item indexes.
TChData storedChannel(double rx, double tx, const std::array<int32_t, kChannelBoxes>& boxes);
// Set's check of a typed frequency.
bool setAcceptsFrequency(double f, double min, double max);

}  // namespace kva
