#include "model_b/descriptor.h"

#include "model_b/chdata.h"

namespace kvb {

const kvcore::ModelDescriptor& descriptor() {
    static const kvcore::ModelDescriptor model = [] {
        kvcore::ModelDescriptor m;
        m.program = QStringLiteral("kvprog_b");
        m.desktopEntry = QStringLiteral("org.kvprog.kvprog_b");
        m.title = QStringLiteral("KV938R/935R/931R");
        m.captionPrefix = QStringLiteral("KV93*R - ");
        m.productionLabel = QStringLiteral("検査用");
        m.settingsModel = QStringLiteral("KV93x");
        m.portFile = QStringLiteral("KV935R.INI");
        // "生産.FMT": copied from Linux the name is UTF-8, from Windows it keeps the
        // Shift-JIS bytes it was made with.
        m.markerFiles = {QStringLiteral("生産.FMT").toUtf8(),
                         QByteArrayLiteral("\x90\xB6\x8E\x59.FMT")};
        m.normalLimits = limitsFor(false);
        m.productionLimits = limitsFor(true);
        for (int c = 1; c <= 6; ++c) m.gridHeadings << gridHeading(c);
        m.gridWidths = {60, 60, 50, 66, 32, 35};  // column 0 (the channel labels) is 40
        m.version = QStringLiteral("2.4.0.2");
        m.versionBoxTitle = QStringLiteral("KV938R/935R/931R PC Programming  ");
        return m;
    }();
    return model;
}

}  // namespace kvb
