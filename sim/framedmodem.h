#pragma once
// What every KV modem emulator does alike: it hunts the line for frames that begin with its
// start byte (the command code follows it), drops a frame whose checksum does not agree (the tool
// then sees silence), logs every good frame, keeps a 256-byte memory, and applies the faults any
// modem can have. A family adds its frame size, checksum, answers and acknowledge. The emulators
// keep their own protocol constants rather than the tools' headers: they are the tests' independent
// oracle.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/modem.h"

namespace kvsim {

// Faults a test can arm; all off by default. Arming (setFaults) restarts the byte and frame
// counters below, so positions are counted from that moment.
struct ModemFaults {
    // Reply bytes still sent before the modem falls silent for good; -1 = never.
    int silenceAfterBytes = -1;

    // A wrong value at acknowledge position 1, 2, ... (0 = off) ...
    int wrongAckPosition = 0;
    uint8_t wrongAckValue = 0x00;
    // ... only on the n-th frame after arming (1 = the first; 0 = every frame) ...
    int wrongAckOnFrame = 0;
    // ... and only for this command code (-1 = any command).
    int wrongAckCommand = -1;

    // Write Word to this word is acknowledged but not stored (-1 = none).
    int ignoredWriteWord = -1;
    // This byte address holds `stuckValue` from arming on; writes do not change it (-1 = none).
    int stuckAddress = -1;
    uint8_t stuckValue = 0x00;

    // Extra pause before every reply, applied by the transport ...
    int replyDelayMs = 0;
    // ... or only before the replies to frames n, 2n, 3n... after arming (0 = every frame).
    int replyDelayEvery = 0;
};

class FramedModem : public ModemMachine {
  public:
    static constexpr std::size_t kMemorySize = 256;
    static constexpr int kWords = 128;
    using Memory = std::array<uint8_t, kMemorySize>;
    using Frame = std::vector<uint8_t>;

    // Every byte 0xFF, as after EEPROM INIT.
    static Memory erasedMemory();

    std::vector<uint8_t> onByte(uint8_t byte) override;
    int replyDelayMs() const override;
    std::vector<uint8_t> image() const override;
    bool setImage(const std::vector<uint8_t>& bytes) override;
    std::size_t imageSize() const override { return kMemorySize; }

    const Memory& memory() const { return memory_; }
    void setMemory(const Memory& memory);

    virtual void setFaults(const ModemFaults& faults);
    const ModemFaults& faults() const { return faults_; }

    // Every frame with a good checksum, in order of arrival (unknown commands included).
    const std::vector<Frame>& frames() const { return frames_; }
    int countFrames(uint8_t command) const;
    // Every reply byte sent, in order, after the faults.
    const std::vector<uint8_t>& sentBytes() const { return sent_; }
    // Complete frames dropped for a bad checksum, and bytes skipped while hunting for the
    // start byte.
    int rejectedFrames() const { return rejected_; }
    int strayBytes() const { return stray_; }
    void clearLog();

  protected:
    FramedModem(uint8_t startByte, std::size_t frameSize, const Memory& memory);

    virtual bool checksumMatches(const Frame& frame) const = 0;
    // The reply to a good frame, before the output faults; empty for no answer.
    virtual std::vector<uint8_t> answer(const Frame& frame) = 0;

    // The family's acknowledge for a frame of `command`, with the wrong-acknowledge fault
    // applied when it hits this frame.
    std::vector<uint8_t> withAckFault(std::vector<uint8_t> ack, uint8_t command) const;
    // Stores a byte unless it is the stuck one.
    void store(int address, uint8_t value);
    // Write Word of `word`: both bytes stored, unless the write is to be ignored.
    void writeWord(int word, uint8_t first, uint8_t second);

  private:
    std::vector<uint8_t> applyOutputFaults(std::vector<uint8_t> reply);
    void resynchronise();

    const uint8_t startByte_;
    const std::size_t frameSize_;
    Memory memory_{};
    ModemFaults faults_;
    std::vector<uint8_t> pending_;  // bytes of a frame being received
    std::vector<Frame> frames_;
    std::vector<uint8_t> sent_;
    int rejected_ = 0;
    int stray_ = 0;
    int framesSinceArmed_ = 0;
    long bytesSinceArmed_ = 0;
};

}  // namespace kvsim
