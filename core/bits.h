#pragma once
// Single bits of the modems' channel, option and set-mode bytes.
#include <cstdint>

namespace kvcore {

constexpr bool isBitSet(uint8_t byte, int bit) {
    return ((byte >> bit) & 1) != 0;
}

constexpr uint8_t bitIf(bool on, int bit) {
    return on ? static_cast<uint8_t>(1u << bit) : 0;
}

}  // namespace kvcore
