#pragma once
// Frequencies as both tools handle them: MHz in a double, 0 meaning none, typed and shown
// with the locale's decimal separator, and the four limits of a start-up mode.
#include <QString>

namespace kvcore {

struct FrqLimits {
    double RxFrqMin, RxFrqMax, TxFrqMin, TxFrqMax;
};

// Text to MHz with the locale's decimal separator; 0 for anything that is no number.
double StrToFrq(const QString& text);
// "%3.4f" with the locale's decimal separator.
QString frqText(double f);

// Set's limit check: min <= f <= max, both ends included.
inline bool withinLimits(double f, double min, double max) {
    return f >= min && f <= max;
}

// A channel as the grid labels it: "CH%2d".
QString channelLabel(int channel);

// True when some channel of `channels` has both frequencies; a write in normal mode needs one.
template <class Channels>
bool anyChannelWithBothFrequencies(const Channels& channels) {
    for (const auto& ch : channels)
        if (ch.RxFrq != 0 && ch.TxFrq != 0) return true;
    return false;
}

}  // namespace kvcore
