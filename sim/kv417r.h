#pragma once
// The KV417R modem as a byte-level state machine on the framed-modem base: 8-byte frames
// starting with 0xCC and carrying a 16-bit sum of bytes 1..5, a three-byte acknowledge,
// Write Word, Read Word, Read All with its block checksum, and the factory commands. No I/O
// and no threads: the transport (or a test) feeds it bytes.
#include <cstdint>

#include "sim/framedmodem.h"

namespace kvsim {

// The generic faults, and two that only the KV417R's Read All can have.
struct Kv417rFaults : ModemFaults {
    // Third acknowledge byte after Read All instead of 0x81 (-1 = the correct 0x81).
    int readAllThirdByte = -1;
    // The checksum byte after a Read All block is off by one.
    bool wrongBlockChecksum = false;
};

class Kv417r : public FramedModem {
  public:
    using Faults = Kv417rFaults;

    static constexpr uint8_t kStart = 0xCC;
    static constexpr uint8_t kWriteWord = 0x01;
    static constexpr uint8_t kReadWord = 0x03;
    static constexpr uint8_t kReadAll = 0x04;
    static constexpr uint8_t kSetSql = 0x06;
    static constexpr uint8_t kSetChannel = 0x07;
    static constexpr uint8_t kSetTxPower = 0x08;
    static constexpr int kCurrentChannelAddress = 0xC1;

    // An initialised memory: three used channels, set-mode bytes, a calibration block and
    // the marker E3 5A.
    static Memory demoMemory();

    explicit Kv417r(const Memory& memory = demoMemory());

    // The third acknowledge byte of every command except Read All (which always gets 0x81
    // unless a fault says otherwise); the tool must not examine it.
    void setAckThirdByte(uint8_t value) { ackThird_ = value; }
    uint8_t ackThirdByte() const { return ackThird_; }

    // Arming the generic faults alone clears the KV417R's own.
    void setFaults(const ModemFaults& faults) override { setFaults(Kv417rFaults{faults}); }
    void setFaults(const Kv417rFaults& faults);
    void clearFaults() { setFaults(Kv417rFaults{}); }
    const Kv417rFaults& kv417rFaults() const { return own_; }

  private:
    bool checksumMatches(const Frame& frame) const override;
    std::vector<uint8_t> answer(const Frame& frame) override;
    std::vector<uint8_t> acknowledge(uint8_t command) const;

    uint8_t ackThird_ = 0x00;
    Kv417rFaults own_;
};

}  // namespace kvsim
