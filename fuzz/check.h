#pragma once
// What must hold for hostile input, one check per fuzz target. The fuzz programs and the test
// suite's replays of the corpus and of past findings call the same functions, so every
// finding stays a test case. A check throws Violation for a broken promise; anything else it
// lets escape (a crash, a sanitizer report, an unexpected exception) is a finding too.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace kvfuzz {

using Bytes = std::span<const uint8_t>;

class Violation : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws Violation with the text `what` unless `ok`; the text is only formed for a violation,
// which keeps the checks fast enough to fuzz.
#define KV_REQUIRE(ok, what)                                     \
    do {                                                         \
        if (!(ok)) throw ::kvfuzz::Violation(std::string(what)); \
    } while (false)

// A KV417R / KV93x memory image decoded into the table, the grid texts and the set-mode
// controls, then encoded again as Transmit would.
void checkImageA(Bytes input);
void checkImageB(Bytes input);
// The exchanges of each programmer against a modem that answers from the input.
void checkLinkA(Bytes input);
void checkLinkB(Bytes input);
// The emulators' frame parsers fed any byte stream, with or without their faults armed.
void checkKv417r(Bytes input);
void checkKv93x(Bytes input);
// The port file of either tool, with any content, next to a stray file of any name. Works in
// the current folder and removes what it wrote there.
void checkPortFile(Bytes input);
// File > Open of each main window with a settings file of any length and content.
void checkOpenA(Bytes input);
void checkOpenB(Bytes input);
// Factory.INI as kvprog_a's factory window reads it when it opens.
void checkFactoryIni(Bytes input);

struct Target {
    const char* name;  // also the folder of its corpus and of its regression cases
    void (*check)(Bytes);
};
std::span<const Target> targets();
const Target* findTarget(const std::string& name);

}  // namespace kvfuzz
