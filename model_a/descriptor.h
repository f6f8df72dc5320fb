#pragma once
// kvprog_a's model descriptor: the names, small files, limits, grid and version the shared
// windows read for the KV417R.
#include "core/model.h"

namespace kva {

const kvcore::ModelDescriptor& descriptor();

}  // namespace kva
