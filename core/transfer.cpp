#include "core/transfer.h"

namespace kvcore {

QString commErrorMessage(LinkResult r) {
    switch (r) {
        case LinkResult::CommError1:
            return QStringLiteral("Communication Error[1]!!");
        case LinkResult::CommError2:
            return QStringLiteral("Communication Error[2]!!");
        case LinkResult::Ok:
            break;
    }
    return {};
}

QString commErrorLogLine(LinkResult r) {
    if (r == LinkResult::Ok) return {};
    return QStringLiteral("***** ") + commErrorMessage(r) + QStringLiteral(" *****");
}

QString firstSettingError(std::span<const SettingSelection> controls, bool noFrequencies) {
    for (const SettingSelection& c : controls)
        if (c.index < 0) return QStringLiteral("Setting Error!! [%1]").arg(QLatin1String(c.name));
    if (noFrequencies) return QStringLiteral("Setting Error!! [Frq. Data]");
    return {};
}

int tenthReached(int done, int total) {
    const int now = done * 10 / total;
    return now > (done - 1) * 10 / total ? now * 10 : 0;
}

QString progressLine(int percent, const QString& phase) {
    return QStringLiteral("  ") + QString::asprintf("%3d", percent) +
           QStringLiteral(" % Finished [") + phase + QStringLiteral("]");
}

}  // namespace kvcore
