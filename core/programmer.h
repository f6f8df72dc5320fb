#pragma once
// What the main windows' Receive and Transmit, and kvctl, ask of a model's exchanges on an
// open port. Each model's programmer answers with its own frames and memory map; no widgets
// here.
#include "core/transfer.h"

namespace kvcore {

class MemoryProgrammer {
  public:
    virtual ~MemoryProgrammer() = default;

    // Reads the whole memory into `image`, reporting the percentage read. `image` is left
    // as it was when the read fails.
    virtual LinkResult readMemory(MemoryImage& image, const Progress& progress) = 0;
    // Writes the words a table write sends, in the model's order, reporting the percentage
    // written.
    virtual LinkResult writeTable(const MemoryImage& image, const Progress& progress) = 0;
    // Writes every word of the memory, the calibration too, in ascending order, reporting the
    // percentage written: a whole backup image put back.
    virtual LinkResult writeMemory(const MemoryImage& image, const Progress& progress) = 0;
    // True when `readBack` holds every byte of `written` that the model compares.
    virtual bool sameWrittenBytes(const MemoryImage& written,
                                  const MemoryImage& readBack) const = 0;
    // True when the memory carries the model's mark of an initialised memory.
    virtual bool hasFormatMark(const MemoryImage& image) const = 0;
};

}  // namespace kvcore
