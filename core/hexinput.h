#pragma once
// Calibration values as the factory windows show and take them: hexadecimal text.
#include <QString>
#include <cstdint>
#include <optional>

namespace kvcore {

// One or more hexadecimal digits (either case) and nothing else: no blank, sign or prefix,
// at most eight significant digits. nullopt for anything else.
std::optional<uint32_t> parseHexInput(const QString& text);

// parseHexInput for a box of `bytes` bytes (1 or 2): nullopt also when the value does not fit
// them, so that a calibration value is refused rather than cut ("1FF" in a one-byte box).
std::optional<uint32_t> parseHexField(const QString& text, int bytes);

// `value` as `digits` upper-case hexadecimal digits with leading zeros.
QString hexText(uint32_t value, int digits);

}  // namespace kvcore
