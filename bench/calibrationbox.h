#pragma once
// A factory window's calibration box and the bytes of the calibration area it shows (first byte
// high), and what the soak run does with them: type random values, read them back.
#include <QLineEdit>
#include <array>
#include <cstdint>
#include <random>

#include "core/hexinput.h"

namespace kvsoak {

template <class Form>
struct CalibrationBox {
    QLineEdit* Form::*edit;
    int firstByte, width;
};

// Random values typed into every box, and into `block` where WRITE will send them.
template <class Form, std::size_t N>
void typeCalibration(Form& form, const std::array<CalibrationBox<Form>, N>& boxes,
                     std::mt19937& random, std::array<uint8_t, 30>& block) {
    for (const CalibrationBox<Form>& b : boxes) {
        const uint32_t v = random() & (b.width == 2 ? 0xFFFF : 0xFF);
        (form.*b.edit)->setText(kvcore::hexText(v, 2 * b.width));
        block[b.firstByte] = static_cast<uint8_t>(b.width == 2 ? v >> 8 : v);
        if (b.width == 2) block[b.firstByte + 1] = static_cast<uint8_t>(v);
    }
}

// True when every box shows the bytes of the calibration area that starts at `area`.
template <class Form, std::size_t N, class Memory>
bool calibrationShown(const Form& form, const std::array<CalibrationBox<Form>, N>& boxes,
                      const Memory& memory, int area) {
    for (const CalibrationBox<Form>& b : boxes) {
        uint32_t want = memory[area + b.firstByte];
        if (b.width == 2) want = want << 8 | memory[area + b.firstByte + 1];
        if (kvcore::parseHexField((form.*b.edit)->text(), b.width) != want) return false;
    }
    return true;
}

}  // namespace kvsoak
