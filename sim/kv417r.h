#pragma once
// The KV417R modem as a byte-level state machine: 8-byte frames starting with 0xCC and
// carrying a 16-bit sum of bytes 1..5, a three-byte acknowledge, a 256-byte memory of 128
// words. No I/O and no threads: the transport (or a test) feeds it bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/modem.h"

namespace kvsim {

// Faults a test can arm; all off by default. Arming (setFaults) restarts the byte and frame
// counters below, so positions are counted from that moment.
struct Kv417rFaults {
    // Reply bytes still sent before the modem falls silent for good; -1 = never.
    // For a Read All: 0 withholds the acknowledge, 3 + n stops after n block bytes,
    // 3 + 256 withholds only the checksum byte.
    int silenceAfterBytes = -1;

    // A wrong value at acknowledge position 1, 2 or 3 (0 = off) ...
    int wrongAckPosition = 0;
    uint8_t wrongAckValue = 0x00;
    // ... only on the n-th frame after arming (1 = the first; 0 = every frame) ...
    int wrongAckOnFrame = 0;
    // ... and only for this command code (-1 = any command).
    int wrongAckCommand = -1;

    // Third acknowledge byte after Read All instead of 0x81 (-1 = the correct 0x81).
    int readAllThirdByte = -1;
    // The checksum byte after a Read All block is off by one.
    bool wrongBlockChecksum = false;

    // Write Word to this word is acknowledged but not stored (-1 = none).
    int ignoredWriteWord = -1;
    // This byte address holds `stuckValue` from arming on; writes do not change it (-1 = none).
    int stuckAddress = -1;
    uint8_t stuckValue = 0x00;

    // Extra pause before every reply, applied by the transport.
    int replyDelayMs = 0;
};

class Kv417r : public ModemMachine {
  public:
    static constexpr std::size_t kMemorySize = 256;
    using Memory = std::array<uint8_t, kMemorySize>;
    using Frame = std::array<uint8_t, 8>;

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
    // Every byte 0xFF, as after EEPROM INIT.
    static Memory erasedMemory();

    explicit Kv417r(const Memory& memory = demoMemory());

    std::vector<uint8_t> onByte(uint8_t byte) override;
    int replyDelayMs() const override { return faults_.replyDelayMs; }
    std::vector<uint8_t> image() const override;
    bool setImage(const std::vector<uint8_t>& bytes) override;
    std::size_t imageSize() const override { return kMemorySize; }

    const Memory& memory() const { return memory_; }
    void setMemory(const Memory& memory);

    // The third acknowledge byte of every command except Read All (which always gets 0x81
    // unless a fault says otherwise); the tool must not examine it.
    void setAckThirdByte(uint8_t value) { ackThird_ = value; }
    uint8_t ackThirdByte() const { return ackThird_; }

    void setFaults(const Kv417rFaults& faults);
    void clearFaults() { setFaults({}); }
    const Kv417rFaults& faults() const { return faults_; }

    // Every frame with a good checksum, in order of arrival (unknown commands included).
    const std::vector<Frame>& frames() const { return frames_; }
    int countFrames(uint8_t command) const;
    // Complete frames dropped for a bad checksum, and bytes skipped while hunting for 0xCC.
    int rejectedFrames() const { return rejected_; }
    int strayBytes() const { return stray_; }
    void clearLog();

  private:
    std::vector<uint8_t> answer(const Frame& frame);
    std::vector<uint8_t> acknowledge(uint8_t command) const;
    void store(int address, uint8_t value);
    std::vector<uint8_t> applyOutputFaults(std::vector<uint8_t> reply);
    void resynchronise();

    Memory memory_{};
    Kv417rFaults faults_;
    uint8_t ackThird_ = 0x00;
    std::vector<uint8_t> pending_;  // bytes of a frame being received
    std::vector<Frame> frames_;
    int rejected_ = 0;
    int stray_ = 0;
    int framesSinceArmed_ = 0;
    long bytesSinceArmed_ = 0;
};

}  // namespace kvsim
