#include "fuzz/check.h"

namespace kvfuzz {

namespace {
constexpr Target kTargets[] = {
    {"image_a", checkImageA},         {"image_b", checkImageB},    {"link_a", checkLinkA},
    {"link_b", checkLinkB},           {"sim_kv417r", checkKv417r}, {"sim_kv93x", checkKv93x},
    {"portfile", checkPortFile},      {"open_a", checkOpenA},      {"open_b", checkOpenB},
    {"factory_ini", checkFactoryIni},
};
}  // namespace

std::span<const Target> targets() {
    return kTargets;
}

const Target* findTarget(const std::string& name) {
    for (const Target& t : kTargets)
        if (name == t.name) return &t;
    return nullptr;
}

}  // namespace kvfuzz
