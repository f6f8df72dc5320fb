#include "core/frequency.h"

#include "platform/localefmt.h"

namespace kvcore {

double StrToFrq(const QString& text) {
    return platform::parseDecimal(text).value_or(0.0);
}

QString frqText(double f) {
    return platform::formatFixed(f, 3, 4);
}

QString channelLabel(int channel) {
    return QString::asprintf("CH%2d", channel);
}

}  // namespace kvcore
