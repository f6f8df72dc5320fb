#pragma once
// The modems kvmodem can stand in for, by the names on their labels.
#include <memory>
#include <string>
#include <vector>

#include "sim/modem.h"

namespace kvsim {

struct ModelEntry {
    std::string name;  // "KV417R"
    // A modem with a few demo channels, or erased (all 0xFF) when `blank`.
    std::unique_ptr<ModemMachine> (*make)(bool blank);
};

const std::vector<ModelEntry>& models();
// The entry of `name`, or nullptr.
const ModelEntry* findModel(const std::string& name);

}  // namespace kvsim
