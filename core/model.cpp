#include "core/model.h"

#include "platform/files.h"

namespace kvcore {

bool productionMarkerPresent(const ModelDescriptor& model) {
    for (const QByteArray& name : model.markerFiles)
        if (platform::existsInCurrentFolder(name)) return true;
    return false;
}

std::optional<int32_t> readPortFile(const ModelDescriptor& model) {
    const QString path = platform::findInCurrentFolder(model.portFile);
    if (path.isEmpty()) return std::nullopt;
    uint8_t raw[4];
    platform::readBlock(path, raw, sizeof raw);
    return static_cast<int32_t>(uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 |
                                uint32_t(raw[3]) << 24);
}

}  // namespace kvcore
