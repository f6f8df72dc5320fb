#include "sim/models.h"

#include "sim/kv417r.h"

namespace kvsim {

const std::vector<ModelEntry>& models() {
    static const std::vector<ModelEntry> table = {
        {"KV417R",
         [](bool blank) -> std::unique_ptr<ModemMachine> {
             return std::make_unique<Kv417r>(blank ? Kv417r::erasedMemory() : Kv417r::demoMemory());
         }},
    };
    return table;
}

const ModelEntry* findModel(const std::string& name) {
    for (const ModelEntry& m : models())
        if (m.name == name) return &m;
    return nullptr;
}

}  // namespace kvsim
