#include "sim/models.h"

#include "sim/kv417r.h"
#include "sim/kv93x.h"

namespace kvsim {

const std::vector<ModelEntry>& models() {
    const auto kv93x = [](bool blank) -> std::unique_ptr<ModemMachine> {
        return std::make_unique<Kv93x>(blank ? Kv93x::erasedMemory() : Kv93x::demoMemory());
    };
    // The three KV93x models differ in their radio, not in their memory or frames.
    static const std::vector<ModelEntry> table = {
        {"KV417R",
         [](bool blank) -> std::unique_ptr<ModemMachine> {
             return std::make_unique<Kv417r>(blank ? Kv417r::erasedMemory() : Kv417r::demoMemory());
         }},
        {"KV938R", kv93x},
        {"KV935R", kv93x},
        {"KV931R", kv93x},
    };
    return table;
}

const ModelEntry* findModel(const std::string& name) {
    for (const ModelEntry& m : models())
        if (m.name == name) return &m;
    return nullptr;
}

}  // namespace kvsim
