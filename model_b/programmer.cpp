#include "model_b/programmer.h"

#include <algorithm>
#include <stdexcept>

namespace kvb {

namespace {
constexpr int kReadProgressBytes = 26;   // data bytes between two read progress lines
constexpr int kWriteProgressWords = 12;  // words between two write progress lines

void report(const Progress& progress, int percent) {
    if (progress) progress(percent);
}
}  // namespace

LinkResult Programmer::readMemory(MemoryImage& image, const Progress& progress) {
    const LinkResult r = link_.ReadRange(0, mem::kLastWord, image, [&progress](int index) {
        if (index > 0 && index % kReadProgressBytes == 0)
            report(progress, index / kReadProgressBytes * 10);
    });
    if (r == LinkResult::Ok) report(progress, 100);
    return r;
}

LinkResult Programmer::writeTable(const MemoryImage& image, const Progress& progress) {
    for (const mem::Range& words : mem::kWrittenWords) {
        for (int a = words.first; a <= words.last; ++a) {
            const LinkResult r =
                link_.WriteWord(static_cast<uint8_t>(a), image[2 * a], image[2 * a + 1]);
            if (r != LinkResult::Ok) return r;
            // Lines for the table words only; the words behind the calibration area get none.
            if (a > 0 && a % kWriteProgressWords == 0 && a < mem::kCalibrationFirstWord)
                report(progress, a / kWriteProgressWords * 10);
        }
    }
    report(progress, 100);
    return LinkResult::Ok;
}

LinkResult Programmer::writeMemory(const MemoryImage& image, const Progress& progress) {
    for (int a = 0; a < mem::kWordCount; ++a) {
        const LinkResult r =
            link_.WriteWord(static_cast<uint8_t>(a), image[2 * a], image[2 * a + 1]);
        if (r != LinkResult::Ok) return r;
        if (const int percent = kvcore::tenthReached(a + 1, mem::kWordCount))
            report(progress, percent);
    }
    return LinkResult::Ok;
}

bool Programmer::sameWrittenBytes(const MemoryImage& written, const MemoryImage& readBack) const {
    for (const mem::Range& bytes : mem::kComparedBytes)
        for (int i = bytes.first; i <= bytes.last; ++i)
            if (written[i] != readBack[i]) return false;
    return true;
}

bool Programmer::hasFormatMark(const MemoryImage& image) const {
    return mem::formatted(image);
}

LinkResult Programmer::readWords(uint8_t firstWord, uint8_t lastWord, std::span<uint8_t> out) {
    return link_.ReadRange(firstWord, lastWord, out);
}

LinkResult Programmer::writeWords(uint8_t firstWord, std::span<const uint8_t> bytes) {
    if (bytes.size() % 2 != 0 || firstWord + bytes.size() / 2 > mem::kWordCount)
        throw std::invalid_argument("Write Word run beyond the memory or of half a word");
    for (std::size_t k = 0; k < bytes.size() / 2; ++k) {
        const LinkResult r =
            link_.WriteWord(static_cast<uint8_t>(firstWord + k), bytes[2 * k], bytes[2 * k + 1]);
        if (r != LinkResult::Ok) return r;
    }
    return LinkResult::Ok;
}

LinkResult Programmer::readCalibration(Calibration& values) {
    return readWords(mem::kCalibrationFirstWord, mem::kCalibrationLastWord, values);
}

LinkResult Programmer::writeCalibration(const Calibration& values, Calibration& readBack) {
    if (const LinkResult r = writeWords(mem::kCalibrationFirstWord, values); r != LinkResult::Ok)
        return r;
    return readCalibration(readBack);
}

LinkResult Programmer::eraseMemory(bool& erased, MemoryImage* readBack) {
    MemoryImage blank;
    blank.fill(mem::kErasedByte);
    if (const LinkResult r = writeWords(0, blank); r != LinkResult::Ok) return r;
    MemoryImage read{};
    if (const LinkResult r = readWords(0, mem::kLastWord, read); r != LinkResult::Ok) return r;
    erased = read == blank;
    if (readBack) *readBack = read;
    return LinkResult::Ok;
}

}  // namespace kvb
