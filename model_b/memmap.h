#pragma once
// KV938R/935R/931R configuration memory: 256 bytes addressed as 128 words of two bytes (word w
// holds bytes 2w and 2w + 1). Every position the tool reads, writes or compares is named here.
#include <array>
#include <cstdint>

#include "core/transfer.h"

namespace kvb::mem {

constexpr int kSize = kvcore::kMemorySize;
constexpr int kWordCount = kvcore::kWords;
constexpr int kLastWord = kWordCount - 1;
using Image = kvcore::MemoryImage;

constexpr int kChannels = kvcore::kChannels;

// Three code bytes then a 0, one group per channel k = 0..15.
constexpr int rxCode(int k) {
    return 4 * k;
}
constexpr int txCode(int k) {
    return 64 + 4 * k;
}
constexpr int kCodeBytes = 3;

constexpr int option(int k) {
    return 128 + 2 * k;
}
constexpr int flags(int k) {
    return 129 + 2 * k;
}

constexpr int kSetMode = 161;
constexpr int kTot = 162;
constexpr int kSave = 163;

// Calibration values of the factory window; a table write leaves them alone.
constexpr int kCalibrationFirst = 224;
constexpr int kCalibrationLast = 241;
constexpr int kCalibrationFirstWord = 112;
constexpr int kCalibrationLastWord = 120;
constexpr int kCalibrationSize = kCalibrationLast - kCalibrationFirst + 1;

// What every byte reads as after EEPROM INIT.
constexpr uint8_t kErasedByte = 0xFF;

// Written and compared as they are; what the modem makes of them is not ours to know.
constexpr int kFixedBlock = 242;
constexpr std::array<uint8_t, 8> kFixedBytes = {0x5C, 0xA7, 0x31, 0xE8, 0x6D, 0x92, 0xB4, 0x1F};
constexpr int kSpace = 250;
constexpr uint8_t kSpaceByte = 0x20;

// Date of writing: year (two digits), month, day, each one packed-BCD byte.
constexpr int kDate = 251;

// Format mark: without it the memory holds no table (erased or never written).
constexpr int kMark = 254;
constexpr uint8_t kMark0 = 0x07;
constexpr uint8_t kMark1 = 0x15;
// True when `image` carries the format mark of a written memory.
inline bool formatted(const Image& image) {
    return image[kMark] == kMark0 && image[kMark + 1] == kMark1;
}

struct Range {
    int first, last;  // both included
};

// Words a table write sends, in this order: everything but the calibration area.
constexpr std::array<Range, 2> kWrittenWords = {{{0, 111}, {121, 127}}};
constexpr int kWrittenWordCount = 119;
// Bytes the read-back must match, compared in this order.
constexpr std::array<Range, 2> kComparedBytes = {{{0, 223}, {242, 255}}};

static_assert(kWrittenWords[0].last + 1 == kCalibrationFirstWord);
static_assert(kWrittenWords[1].first == kCalibrationLastWord + 1);
static_assert(kWrittenWords[1].last == kWordCount - 1);
static_assert((kWrittenWords[0].last - kWrittenWords[0].first + 1) +
                  (kWrittenWords[1].last - kWrittenWords[1].first + 1) ==
              kWrittenWordCount);
static_assert(kComparedBytes[0].last + 1 == kCalibrationFirst);
static_assert(kComparedBytes[1].first == kCalibrationLast + 1);
static_assert(2 * kCalibrationFirstWord == kCalibrationFirst);
static_assert(2 * kCalibrationLastWord + 1 == kCalibrationLast);
static_assert(kCalibrationSize == 2 * (kCalibrationLastWord - kCalibrationFirstWord + 1));
static_assert(kFixedBlock + kFixedBytes.size() == kSpace && kDate + 3 == kMark);
static_assert(flags(kChannels - 1) < kSetMode - 1 && kSave < kCalibrationFirst);

}  // namespace kvb::mem
