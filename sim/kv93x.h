#pragma once
// The KV938R/935R/931R modem as a byte-level state machine on the framed-modem base: 15-byte
// frames starting with 0x0E and ending in the sum of the others, a one-byte acknowledge 0x06,
// Write Word and Read Range. No I/O and no threads: the transport (or a test) feeds it bytes.
//
// Its faults are the generic ones, which here mean:
//   wrongAckPosition 1 + wrongAckOnFrame n  a refusal (any byte but 0x06) on frame n: the
//                                           modem carries nothing out and sends no data;
//   silenceAfterBytes k                     replies stop after k bytes counted from arming,
//                                           acknowledges included;
//   ignoredWriteWord, stuckAddress          a write acknowledged but not kept, a stuck byte.
#include <cstdint>

#include "sim/framedmodem.h"

namespace kvsim {

class Kv93x : public FramedModem {
  public:
    using Faults = ModemFaults;

    static constexpr uint8_t kStart = 0x0E;
    static constexpr uint8_t kWriteWord = 0x01;
    static constexpr uint8_t kReadRange = 0x02;
    static constexpr uint8_t kAccepted = 0x06;

    // A written modem: three used channels, set-mode bytes, a calibration area, a date of
    // writing and the format mark 07 15.
    static Memory demoMemory();

    explicit Kv93x(const Memory& memory = demoMemory());

  private:
    bool checksumMatches(const Frame& frame) const override;
    std::vector<uint8_t> answer(const Frame& frame) override;
};

}  // namespace kvsim
