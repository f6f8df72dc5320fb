#include "model_a/programmer.h"

#include <algorithm>
#include <stdexcept>

#include "model_a/memmap.h"

namespace kva {
namespace {

// The progress percentage a table write reports after `word`, or 0 for none.
int writeProgressAfter(int word) {
    if (word <= 0x3F) return word > 0 && word % 8 == 0 ? word / 8 * 10 : 0;
    switch (word) {
        case kCurrentChannelWord:
            return 80;
        case addr::ByteA / 2:
            return 90;
        case addr::Marker / 2:
            return 100;
        default:
            return 0;
    }
}

}  // namespace

LinkResult Programmer::readMemory(MemoryImage& image, const Progress& progress) {
    return link_.ReadAll(image, progress);
}

LinkResult Programmer::writeTable(const MemoryImage& image, const Progress& progress) {
    for (const uint8_t w : kWrittenWords) {
        const LinkResult r = link_.Exchange(cmd::WriteWord, w, image[2 * w], image[2 * w + 1]);
        if (r != LinkResult::Ok) return r;
        if (const int percent = writeProgressAfter(w); percent && progress) progress(percent);
    }
    return LinkResult::Ok;
}

LinkResult Programmer::writeMemory(const MemoryImage& image, const Progress& progress) {
    for (int w = 0; w < kvcore::kWords; ++w) {
        const LinkResult r = writeWords(static_cast<uint8_t>(w), 1, &image[2 * w]);
        if (r != LinkResult::Ok) return r;
        if (const int percent = kvcore::tenthReached(w + 1, kvcore::kWords); percent && progress)
            progress(percent);
    }
    return LinkResult::Ok;
}

bool Programmer::sameWrittenBytes(const MemoryImage& written, const MemoryImage& readBack) const {
    for (const ByteRange& r : kComparedRanges)
        for (int a = r.first; a <= r.last; ++a)
            if (written[a] != readBack[a]) return false;
    return true;
}

bool Programmer::hasFormatMark(const MemoryImage& image) const {
    return formatted(image);
}

LinkResult Programmer::readWords(uint8_t firstWord, int count, uint8_t* out) {
    if (count < 0 || firstWord + count > kvcore::kWords)
        throw std::invalid_argument("Read Word run beyond the memory");
    // Filled aside, so a failed run never leaves some words of it where the caller might take
    // them for the modem's.
    MemoryImage words{};
    for (int k = 0; k < count; ++k) {
        const LinkResult r =
            link_.ReadWord(static_cast<uint8_t>(firstWord + k), words[2 * k], words[2 * k + 1]);
        if (r != LinkResult::Ok) return r;
    }
    std::copy_n(words.begin(), 2 * count, out);
    return LinkResult::Ok;
}

LinkResult Programmer::writeWords(uint8_t firstWord, int count, const uint8_t* bytes) {
    if (count < 0 || firstWord + count > kvcore::kWords)
        throw std::invalid_argument("Write Word run beyond the memory");
    for (int k = 0; k < count; ++k) {
        const LinkResult r = link_.Exchange(cmd::WriteWord, static_cast<uint8_t>(firstWord + k),
                                            bytes[2 * k], bytes[2 * k + 1]);
        if (r != LinkResult::Ok) return r;
    }
    return LinkResult::Ok;
}

LinkResult Programmer::eraseMemory(bool& erased, MemoryImage* readBack) {
    MemoryImage blank;
    blank.fill(0xFF);
    if (const LinkResult r = writeWords(0, kvcore::kWords, blank.data()); r != LinkResult::Ok)
        return r;
    MemoryImage read{};
    if (const LinkResult r = readWords(0, kvcore::kWords, read.data()); r != LinkResult::Ok)
        return r;
    erased = read == blank;
    if (readBack) *readBack = read;
    return LinkResult::Ok;
}

LinkResult Programmer::setSql(uint8_t level) {
    return link_.Exchange(cmd::SetSql, level, 0, 0);
}

LinkResult Programmer::setTxPower(uint16_t value, uint8_t level) {
    return link_.Exchange(cmd::SetTxPower, static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value), level);
}

LinkResult Programmer::setChannel(uint8_t channelFromZero, uint8_t sql) {
    return link_.Exchange(cmd::SetChannel, channelFromZero, sql, 0);
}

}  // namespace kva
