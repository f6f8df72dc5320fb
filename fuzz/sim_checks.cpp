// The emulators fed any byte stream. A reply or a change of memory only ever follows the last
// byte of a good frame (start byte and checksum right); the reply is what the modem family
// sends for that frame, and the memory changes only as a write frame says. With faults armed
// from the input, a reply may only be cut short or carry the armed wrong byte, and a write
// may only be left undone. Input: an 8-byte header of faults, then the line's bytes.
#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "fuzz/check.h"
#include "sim/kv417r.h"
#include "sim/kv93x.h"

namespace kvfuzz {

namespace {

using kvsim::FramedModem;
using Memory = FramedModem::Memory;
using Frame = std::vector<uint8_t>;

// What a good frame brings about in a modem without faults.
struct Effect {
    std::vector<uint8_t> reply;
    std::vector<std::pair<int, uint8_t>> stores;  // address, value
};

constexpr std::size_t kHeader = 8;
constexpr std::size_t kReadAllReply = 3 + 256 + 1;  // the KV417R's acknowledge, block, checksum

// Faults from the header: byte 0 bit 0 arms them at all.
kvsim::ModemFaults faultsFrom(Bytes h) {
    kvsim::ModemFaults f;
    f.silenceAfterBytes = h[1] == 0xFF ? -1 : h[1] * 3;
    f.wrongAckPosition = h[2] % 4;
    f.wrongAckValue = h[3];
    f.wrongAckOnFrame = h[4] % 4;
    f.wrongAckCommand = (h[0] & 0x02) ? h[4] >> 2 : -1;
    f.ignoredWriteWord = h[5] < 128 ? h[5] : -1;
    f.stuckAddress = (h[0] & 0x04) ? h[6] : -1;
    f.stuckValue = h[7];
    return f;
}

// ---- The families as their protocols describe them
// -----------------------------------------------

std::optional<Effect> kv417rEffect(const Frame& f, const Memory& m, uint8_t ackThird) {
    unsigned sum = 0;
    for (int i = 1; i <= 5; ++i) sum += f[i];
    if (f[0] != 0xCC || f[6] != (sum >> 8) || f[7] != (sum & 0xFF)) return std::nullopt;
    const uint8_t command = f[1];
    Effect e;
    e.reply = {0x33, 0x06, command == 0x04 ? uint8_t{0x81} : ackThird};
    switch (command) {
        case 0x01:
            if (f[2] >= 128) return Effect{};
            e.stores = {{2 * f[2], f[3]}, {2 * f[2] + 1, f[4]}};
            return e;
        case 0x03:
            if (f[2] >= 128) return Effect{};
            e.reply.push_back(m[2 * f[2]]);
            e.reply.push_back(m[2 * f[2] + 1]);
            return e;
        case 0x04: {
            unsigned block = 0;
            for (const uint8_t b : m) {
                e.reply.push_back(b);
                block += b;
            }
            e.reply.push_back(static_cast<uint8_t>(block));
            return e;
        }
        case 0x07:
            if (f[2] >= 16) return Effect{};
            e.stores = {{0xC1, f[2]}, {8 * f[2] + 3, f[3]}};
            return e;
        case 0x06:
        case 0x08:
            return e;
        default:
            return Effect{};
    }
}

std::optional<Effect> kv93xEffect(const Frame& f, const Memory& m) {
    uint8_t sum = 0;
    for (int i = 0; i < 14; ++i) sum = static_cast<uint8_t>(sum + f[i]);
    if (f[0] != 0x0E || f[14] != sum) return std::nullopt;
    const bool fixedRight = f[3] == 0x00 && f[4] == 0xAB && f[6] == 0x00 && f[7] == 0xBA &&
                            f[10] == 0x00 && f[11] == 0xFF && f[12] == 0xFF && f[13] == 0xFF;
    const int first = f[2], last = f[5];
    if (!fixedRight || first >= 128) return Effect{};
    Effect e;
    e.reply = {0x06};
    if (f[1] == 0x01 && last == 0) {
        e.stores = {{2 * first, f[8]}, {2 * first + 1, f[9]}};
        return e;
    }
    if (f[1] == 0x02 && last < 128 && last >= first && f[8] == 0 && f[9] == 0) {
        e.reply.insert(e.reply.end(), m.begin() + 2 * first, m.begin() + 2 * last + 2);
        return e;
    }
    return Effect{};
}

// ---- The run ------------------------------------------------------------------------------------

// `effectOf(frame, memory)` is the family's answer; `ackSize` the length of its acknowledge,
// the only bytes a fault may change (and the KV417R's block checksum, `lastMayDiffer`).
template <class Effects>
void feed(FramedModem& modem, Bytes input, std::size_t frameSize, std::size_t ackSize, bool faulty,
          bool lastMayDiffer, Effects effectOf) {
    std::deque<uint8_t> window;  // the last frameSize bytes fed
    for (std::size_t i = kHeader; i < input.size(); ++i) {
        const Memory before = modem.memory();
        const std::size_t framesBefore = modem.frames().size();
        const std::vector<uint8_t> reply = modem.onByte(input[i]);
        window.push_back(input[i]);
        if (window.size() > frameSize) window.pop_front();
        const Memory& after = modem.memory();
        const auto at = [i] { return "byte " + std::to_string(i) + ": "; };

        if (modem.frames().size() == framesBefore) {
            KV_REQUIRE(reply.empty() && after == before, at() + "answer or store without a frame");
            continue;
        }
        const Frame frame(window.begin(), window.end());
        KV_REQUIRE(frame.size() == frameSize && modem.frames().back() == frame,
                   at() + "frame logged is not the last bytes received");
        const std::optional<Effect> effect = effectOf(frame, before);
        KV_REQUIRE(effect.has_value(), at() + "frame taken with a wrong start byte or checksum");

        Memory expected = before;
        for (const auto& [address, value] : effect->stores)
            expected[static_cast<std::size_t>(address)] = value;
        if (!faulty) {
            KV_REQUIRE(reply == effect->reply, at() + "reply differs from the family's");
            KV_REQUIRE(after == expected, at() + "memory differs from what the frame writes");
            continue;
        }
        KV_REQUIRE(reply.size() <= effect->reply.size(), at() + "reply longer than the family's");
        for (std::size_t k = 0; k < reply.size(); ++k) {
            const bool blockChecksum =
                lastMayDiffer && effect->reply.size() == kReadAllReply && k + 1 == kReadAllReply;
            const bool mayDiffer = k < ackSize || blockChecksum;
            KV_REQUIRE(mayDiffer || reply[k] == effect->reply[k], at() + "reply data byte changed");
        }
        for (std::size_t a = 0; a < after.size(); ++a)
            KV_REQUIRE(after[a] == before[a] || after[a] == expected[a],
                       at() + "memory changed where no write went");
    }
}

}  // namespace

void checkKv417r(Bytes input) {
    if (input.size() < kHeader) return;
    const bool faulty = input[0] & 0x01;
    kvsim::Kv417r modem;
    const uint8_t ackThird = input[0] >> 3;
    modem.setAckThirdByte(ackThird);
    if (faulty) {
        kvsim::Kv417rFaults f{faultsFrom(input)};
        f.readAllThirdByte = (input[0] & 0x08) ? input[3] : -1;
        f.wrongBlockChecksum = input[0] & 0x10;
        modem.setFaults(f);
    }
    feed(modem, input, 8, 3, faulty, true,
         [ackThird](const Frame& f, const Memory& m) { return kv417rEffect(f, m, ackThird); });
}

void checkKv93x(Bytes input) {
    if (input.size() < kHeader) return;
    const bool faulty = input[0] & 0x01;
    kvsim::Kv93x modem;
    if (faulty) modem.setFaults(faultsFrom(input));
    feed(modem, input, 15, 1, faulty, false, kv93xEffect);
}

}  // namespace kvfuzz
