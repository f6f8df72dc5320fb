#pragma once
// The KV417R's memory map in one place: where the channel records, the current channel, the
// set-mode bytes, the calibration block and the initialisation marker lie, which words a
// table write sends and in what order, and which bytes its verify compares. No widgets here.
#include <array>
#include <cstdint>

#include "core/transfer.h"

namespace kva {

// Channel k (1..16) is the 8-byte record at 8 (k - 1); its squelch code is the low byte of
// the record's second word.
constexpr int kRecordSize = 8;
constexpr int recordAddress(int channel) {
    return kRecordSize * (channel - 1);
}
constexpr uint8_t squelchWord(int channelFromZero) {
    return static_cast<uint8_t>(kRecordSize / 2 * channelFromZero + 1);
}

// Byte addresses.
namespace addr {
constexpr int CurrentChannel = 0xC0;  // word 0x60; its second byte is the channel from 0
constexpr int Zero = 0xDA;
constexpr int Sleep = 0xDB;
constexpr int Tot = 0xDC;
constexpr int Save = 0xDD;
constexpr int ByteB = 0xDE;
constexpr int ByteA = 0xDF;
constexpr int Calibration = 0xE0;
constexpr int Marker = 0xFE;
}  // namespace addr

constexpr uint8_t kCurrentChannelWord = addr::CurrentChannel / 2;

// The factory calibration block: 30 bytes, words 0x70..0x7E. Only the factory window
// writes it.
constexpr int kCalibrationSize = 30;
constexpr uint8_t kCalibrationFirstWord = addr::Calibration / 2;

// The initialisation marker at 0xFE, 0xFF.
constexpr uint8_t kMarker0 = 0xE3;
constexpr uint8_t kMarker1 = 0x5A;
// True when `image` carries the marker of an initialised memory.
inline bool formatted(const kvcore::MemoryImage& image) {
    return image[addr::Marker] == kMarker0 && image[addr::Marker + 1] == kMarker1;
}

// Words a table write sends, in order: the channels, the current channel, the set-mode
// bytes, the marker.
constexpr std::array<uint8_t, 69> kWrittenWords = [] {
    std::array<uint8_t, 69> words{};
    std::size_t n = 0;
    for (int w = 0x00; w <= 0x3F; ++w) words[n++] = static_cast<uint8_t>(w);
    for (int w : {0x60, 0x6D, 0x6E, 0x6F, 0x7F}) words[n++] = static_cast<uint8_t>(w);
    return words;
}();

// Byte ranges the verify compares, in order: exactly the bytes a table write sends.
struct ByteRange {
    int first, last;
};
constexpr ByteRange kComparedRanges[] = {{0x00, 0x7F}, {0xC0, 0xC1}, {0xDA, 0xDF}, {0xFE, 0xFF}};

}  // namespace kva
