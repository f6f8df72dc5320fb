#include "sim/kv417r.h"

#include <algorithm>
#include <initializer_list>

namespace kvsim {

namespace {
constexpr std::size_t kFrameSize = 8;
constexpr int kChannels = 16;

void put(Kv417r::Memory& m, std::size_t at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), m.begin() + static_cast<std::ptrdiff_t>(at));
}
}  // namespace

Kv417r::Memory Kv417r::demoMemory() {
    Memory m = erasedMemory();
    // Channel records: RX BCD, squelch code, TX BCD, flags (used, D/A, BR, MBR, power code).
    std::fill(m.begin(), m.begin() + 0x80, uint8_t{0});
    put(m, 0x00, {0x22, 0x95, 0x13, 0x03, 0x22, 0x40, 0x00, 0x83});  // 229.513/224.000 L3 L3
    put(m, 0x08, {0x23, 0x00, 0x00, 0x05, 0x23, 0x00, 0x00, 0xC2});  // 230.000 D/A ON L2 L5
    put(m, 0x10, {0x23, 0x31, 0x25, 0x01, 0x23, 0x31, 0x25, 0xB5});  // 233.125 BR MBR L5 L1
    put(m, 0xC0, {0x00, 0x00});                                      // current channel 1
    // 0xDA..0xDF: zero, sleep, time-out 60 s, save off, 8 bit / 1 stop / Tx off, 9600 EVEN.
    put(m, 0xDA, {0x00, 0x00, 0x02, 0x00, 0x05, 0xB0});
    // Calibration: TX power L1..L5, unused word, two shift pairs, SQL L1..L9, pad byte.
    put(m, 0xE0,
        {0xC0, 0x10, 0xC4, 0x20, 0xC8, 0x30, 0xCC, 0x40, 0xD0, 0x50, 0xFF, 0xFF, 0x00, 0x12, 0x00,
         0x34, 0x00, 0x56, 0x00, 0x78, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0x00});
    put(m, 0xFE, {0xE3, 0x5A});
    return m;
}

Kv417r::Kv417r(const Memory& memory) : FramedModem(kStart, kFrameSize, memory) {}

void Kv417r::setFaults(const Kv417rFaults& faults) {
    own_ = faults;
    FramedModem::setFaults(faults);
}

bool Kv417r::checksumMatches(const Frame& f) const {
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 5; ++i) sum += f[i];
    return f[6] == ((sum >> 8) & 0xFF) && f[7] == (sum & 0xFF);
}

std::vector<uint8_t> Kv417r::acknowledge(uint8_t command) const {
    std::vector<uint8_t> ack{0x33, 0x06, command == kReadAll ? uint8_t{0x81} : ackThird_};
    if (command == kReadAll && own_.readAllThirdByte >= 0)
        ack[2] = static_cast<uint8_t>(own_.readAllThirdByte);
    return withAckFault(std::move(ack), command);
}

// Commands with an argument outside the memory or the channel table get no answer at all,
// the safest thing a modem can do with a frame it cannot carry out.
std::vector<uint8_t> Kv417r::answer(const Frame& f) {
    const uint8_t command = f[1];
    std::vector<uint8_t> reply;
    switch (command) {
        case kWriteWord: {
            const int word = f[2];
            if (word >= kWords) return {};
            writeWord(word, f[3], f[4]);
            return acknowledge(command);
        }
        case kReadWord: {
            const int word = f[2];
            if (word >= kWords) return {};
            reply = acknowledge(command);
            reply.push_back(memory()[static_cast<std::size_t>(2 * word)]);
            reply.push_back(memory()[static_cast<std::size_t>(2 * word + 1)]);
            return reply;
        }
        case kReadAll: {
            reply = acknowledge(command);
            unsigned sum = 0;
            for (uint8_t b : memory()) {
                reply.push_back(b);
                sum += b;
            }
            if (own_.wrongBlockChecksum) ++sum;
            reply.push_back(static_cast<uint8_t>(sum & 0xFF));
            return reply;
        }
        case kSetChannel: {
            // The modem switches to the channel and keeps the level in that channel's record.
            const int channel = f[2];
            if (channel >= kChannels) return {};
            store(kCurrentChannelAddress, static_cast<uint8_t>(channel));
            store(8 * channel + 3, f[3]);
            return acknowledge(command);
        }
        case kSetSql:
        case kSetTxPower:
            return acknowledge(command);
        default:
            return {};
    }
}

}  // namespace kvsim
