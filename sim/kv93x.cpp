#include "sim/kv93x.h"

#include <algorithm>
#include <initializer_list>

namespace kvsim {

namespace {
constexpr std::size_t kFrameSize = 15;

void put(Kv93x::Memory& m, std::size_t at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), m.begin() + static_cast<std::ptrdiff_t>(at));
}

// The bytes every request carries whatever it asks, by offset; the modem takes a frame that
// differs in any of them for line noise.
constexpr struct {
    std::size_t at;
    uint8_t value;
} kFixed[] = {{3, 0x00},  {4, 0xAB},  {6, 0x00},  {7, 0xBA},
              {10, 0x00}, {11, 0xFF}, {12, 0xFF}, {13, 0xFF}};

bool wellFormed(const Kv93x::Frame& f) {
    return std::all_of(std::begin(kFixed), std::end(kFixed),
                       [&](const auto& b) { return f[b.at] == b.value; });
}
}  // namespace

Kv93x::Memory Kv93x::demoMemory() {
    Memory m{};
    // Receive codes (frequency + 45.1 MHz) and transmit codes, three bytes and a 0 each.
    put(m, 0x00, {0x00, 0xA8, 0x68});  // CH1 RX 225.0000, 25 kHz
    put(m, 0x04, {0x01, 0x55, 0x32});  // CH2 RX 228.0125, 12.5 kHz
    put(m, 0x08, {0x02, 0xB7, 0x22});  // CH3 RX 233.00625, 6.25 kHz
    put(m, 0x40, {0x00, 0x8C, 0x50});  // CH1 TX 225.0000, 25 kHz
    put(m, 0x44, {0x01, 0x1D, 0x02});  // CH2 TX 228.0125, 12.5 kHz
    put(m, 0x48, {0x02, 0xD1, 0x72});  // CH3 TX 231.005, 5 kHz
    // Option and flag bytes: CH1 HIGH 4800 OFF 2400; CH2 MID 2400/1200 ON 1200;
    // CH3 LOW 4800 OFF 1200.
    put(m, 0x80, {0x00, 0x80, 0x03, 0xAD, 0x02, 0xF2});
    // Set-mode byte (Busy high, the rest at index 0), time-out 60 s, save 0.5 s.
    put(m, 0xA1, {0x02, 0x02, 0x01});
    // Calibration: TX power and TCXO trims, six unshown bytes, VCO R and VCO T.
    put(m, 0xE0,
        {0x05, 0xA0, 0x48, 0xB7, 0x30, 0xC0, 0x62, 0x9D, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01,
         0x2C, 0x01, 0xF4});
    // Fixed block, 0x20, written on 17 June 2025, format mark.
    put(m, 0xF2,
        {0x5C, 0xA7, 0x31, 0xE8, 0x6D, 0x92, 0xB4, 0x1F, 0x20, 0x25, 0x06, 0x17, 0x07, 0x15});
    return m;
}

Kv93x::Kv93x(const Memory& memory) : FramedModem(kStart, kFrameSize, memory) {}

bool Kv93x::checksumMatches(const Frame& f) const {
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    return f.back() == sum;
}

// A frame the modem cannot carry out gets no answer at all, as a garbled one does: the fixed
// bytes wrong, an unknown command, a word beyond 127, a range that ends before it starts, or
// a read that carries data bytes (or a write an end address).
std::vector<uint8_t> Kv93x::answer(const Frame& f) {
    const uint8_t command = f[1];
    const int first = f[2];
    const int last = f[5];
    if (!wellFormed(f) || first >= kWords) return {};
    switch (command) {
        case kWriteWord: {
            if (last != 0) return {};
            std::vector<uint8_t> ack = withAckFault({kAccepted}, command);
            if (ack[0] == kAccepted) writeWord(first, f[8], f[9]);
            return ack;
        }
        case kReadRange: {
            if (last >= kWords || last < first || f[8] != 0 || f[9] != 0) return {};
            std::vector<uint8_t> reply = withAckFault({kAccepted}, command);
            if (reply[0] != kAccepted) return reply;  // a refusal carries no data
            reply.insert(reply.end(), memory().begin() + 2 * first,
                         memory().begin() + 2 * (last + 1));
            return reply;
        }
        default:
            return {};
    }
}

}  // namespace kvsim
