#include "model_a/descriptor.h"

#include "model_a/chdata.h"

namespace kva {

const kvcore::ModelDescriptor& descriptor() {
    static const kvcore::ModelDescriptor model = [] {
        kvcore::ModelDescriptor m;
        m.program = QStringLiteral("kvprog_a");
        m.desktopEntry = QStringLiteral("org.kvprog.kvprog_a");
        m.title = QStringLiteral("KV417R");
        m.captionPrefix = QStringLiteral("KV417R - ");
        m.settingsModel = QStringLiteral("KV417R");
        m.productionLabel = QStringLiteral("Factory");
        m.portFile = QStringLiteral("KV417R.INI");
        m.markerFiles = {QByteArrayLiteral("Seisan.FMT")};
        m.normalLimits = limitsFor(false);
        m.productionLimits = limitsFor(true);
        for (int c = 1; c <= 7; ++c) m.gridHeadings << gridHeading(c);
        m.gridWidths = {60, 60, 50, 66, 32, 35, 47};
        m.version = QStringLiteral("1.0.7.4");
        m.versionBoxTitle = QStringLiteral("KV417R PC Programming  ");
        return m;
    }();
    return model;
}

}  // namespace kva
