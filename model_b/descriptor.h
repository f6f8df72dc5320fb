#pragma once
// kvprog_b's model descriptor: the names, small files, limits, grid and version the shared
// windows read for the KV938R/935R/931R.
#include "core/model.h"

namespace kvb {

const kvcore::ModelDescriptor& descriptor();

}  // namespace kvb
