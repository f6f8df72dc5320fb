#pragma once
// What the exchanges of both tools share: the modem's 256-byte memory image, the result of
// an exchange with its box and log texts, and the progress lines. No widgets here.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace kvcore {

constexpr int kChannels = 16;
// The modem's memory: 128 words of two bytes; word w holds bytes 2w and 2w+1.
constexpr int kMemorySize = 256;
constexpr int kWords = kMemorySize / 2;
using MemoryImage = std::array<uint8_t, kMemorySize>;

// A missing reply byte is error 1, a wrong one error 2.
enum class LinkResult { Ok, CommError1, CommError2 };
QString commErrorMessage(LinkResult r);  // "Communication Error[1]!!"; empty for Ok
QString commErrorLogLine(LinkResult r);  // "***** Communication Error[1]!! *****"; empty for Ok

// A set-mode control before a write: its item index and its name in the error text.
struct SettingSelection {
    int32_t index;
    const char* name;
};
// The box text of the first reason not to write: "Setting Error!! [<name>]" for the first
// control without a selection, then "Setting Error!! [Frq. Data]" when `noFrequencies`
// (normal mode and no channel with both frequencies); empty when the write may go out.
QString firstSettingError(std::span<const SettingSelection> controls, bool noFrequencies);

// Progress of one phase of a transfer, as a percentage.
using Progress = std::function<void(int percent)>;
// Tens of percent of `total` steps after step `done` (1..total): 10 for the first tenth and
// so on, 100 after the last; 0 where a step completes no tenth.
int tenthReached(int done, int total);

// "  " + "%3d" of percent + " % Finished [" + phase + "]"; phase is "Receive" or "Write".
QString progressLine(int percent, const QString& phase);

}  // namespace kvcore
