#pragma once
// The KV417R exchanges of kvprog_a's commands on an open port, without widgets: the whole
// memory read, the table write and its verify, runs of words for the factory and CH SET
// windows, the erase, and the single set commands. The caller opens and closes the port
// and turns results and percentages into log lines and boxes.
#include <cstdint>

#include "core/programmer.h"
#include "model_a/link.h"

class TCustomCommX;

namespace kva {

class Programmer : public kvcore::MemoryProgrammer {
  public:
    explicit Programmer(TCustomCommX& comm) : link_(comm) {}
    explicit Programmer(kvcore::ByteChannel& channel) : link_(channel) {}

    // Read All; progress 10 to 100.
    LinkResult readMemory(MemoryImage& image, const Progress& progress) override;
    // The words of kWrittenWords in order; progress 10 to 70 after every eighth channel word,
    // 80 after the current channel, 90 after the set-mode words, 100 after the marker.
    LinkResult writeTable(const MemoryImage& image, const Progress& progress) override;
    // Write Word 0x00..0x7F.
    LinkResult writeMemory(const MemoryImage& image, const Progress& progress) override;
    // Compares the ranges of kComparedRanges.
    bool sameWrittenBytes(const MemoryImage& written, const MemoryImage& readBack) const override;
    // The initialisation marker E3 5A.
    bool hasFormatMark(const MemoryImage& image) const override;

    // Read Word for `count` words from `firstWord`; their bytes in address order into `out`,
    // which changes only when every word has arrived. A run beyond the memory is the caller's
    // mistake: std::invalid_argument before anything is sent.
    LinkResult readWords(uint8_t firstWord, int count, uint8_t* out);
    // Write Word for the `count` words from `firstWord`, from `bytes` in address order; a run
    // beyond the memory is refused as readWords refuses it.
    LinkResult writeWords(uint8_t firstWord, int count, const uint8_t* bytes);
    // EEPROM INIT: FF FF into every word, then every word read back (into `readBack` when
    // given). `erased` tells whether all of it read back as FF.
    LinkResult eraseMemory(bool& erased, MemoryImage* readBack = nullptr);

    LinkResult setSql(uint8_t level);
    LinkResult setTxPower(uint16_t value, uint8_t level);
    LinkResult setChannel(uint8_t channelFromZero, uint8_t sql);

  private:
    Link link_;
};

}  // namespace kva
