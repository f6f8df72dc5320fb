#pragma once
// The KV938R/935R/931R exchanges of kvprog_b's commands on an open port, without widgets:
// the whole memory read, the table write and its verify, and the factory window's calibration
// read, calibration write with read-back and erase. The caller opens and closes the port and
// turns results and percentages into log lines and boxes.
#include <array>
#include <cstdint>
#include <span>

#include "core/programmer.h"
#include "model_b/link.h"
#include "model_b/memmap.h"

class TCustomCommX;

namespace kvb {

using kvcore::MemoryImage;
using kvcore::Progress;

// The factory window's calibration values: memory bytes 224..241 (words 112..120).
using Calibration = std::array<uint8_t, mem::kCalibrationSize>;

class Programmer : public kvcore::MemoryProgrammer {
  public:
    explicit Programmer(TCustomCommX& comm) : link_(comm) {}
    explicit Programmer(kvcore::ByteChannel& channel) : link_(channel) {}

    // Read Range 0..127; progress 10 to 90 after data bytes 26, 52, ..., 234, then 100.
    LinkResult readMemory(MemoryImage& image, const Progress& progress) override;
    // Write Word for words 0..111, then 121..127: the calibration area is never written.
    // Progress 10 to 90 after words 12, 24, ..., 108, then 100 after word 127.
    LinkResult writeTable(const MemoryImage& image, const Progress& progress) override;
    // Write Word 0..127.
    LinkResult writeMemory(const MemoryImage& image, const Progress& progress) override;
    // Bytes 0..223, then 242..255: everything a table write sends.
    bool sameWrittenBytes(const MemoryImage& written, const MemoryImage& readBack) const override;
    // Bytes 254 and 255 hold 07 15.
    bool hasFormatMark(const MemoryImage& image) const override;

    // Read Range firstWord..lastWord into `out`, two bytes a word in address order; `out`
    // changes only when the read succeeds.
    LinkResult readWords(uint8_t firstWord, uint8_t lastWord, std::span<uint8_t> out);
    // Write Word for consecutive words from `firstWord`, from `bytes` (two a word) in address
    // order; the first failure ends the run.
    LinkResult writeWords(uint8_t firstWord, std::span<const uint8_t> bytes);

    // READ: Read Range 112..120.
    LinkResult readCalibration(Calibration& values);
    // WRITE: Write Word 112..120 from `values`, then Read Range 112..120 into `readBack`.
    LinkResult writeCalibration(const Calibration& values, Calibration& readBack);
    // EEPROM INIT and ALL F CLR: FF FF into words 0..127, then Read Range 0..127 (into
    // `readBack` when given). `erased` tells whether all 256 bytes read back as FF; both are
    // set only when the exchange succeeds.
    LinkResult eraseMemory(bool& erased, MemoryImage* readBack = nullptr);

  private:
    Link link_;
};

}  // namespace kvb
