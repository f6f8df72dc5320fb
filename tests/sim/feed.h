#pragma once
// Feeding a modem state machine a run of bytes, as the line would, and collecting its replies.
#include <cstdint>
#include <vector>

#include "sim/modem.h"

namespace kvtest {

inline std::vector<uint8_t> feed(kvsim::ModemMachine& m, const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out;
    for (uint8_t b : in) {
        const std::vector<uint8_t> r = m.onByte(b);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

}  // namespace kvtest
