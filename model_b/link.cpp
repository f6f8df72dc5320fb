#include "model_b/link.h"

#include <algorithm>
#include <stdexcept>

#include "core/pacedlink.h"
#include "model_b/memmap.h"

namespace kvb {

namespace {
constexpr uint8_t kLead = 0x0E;  // opens every request
constexpr uint8_t kMarkerA = 0xAB;
constexpr uint8_t kMarkerB = 0xBA;
constexpr uint8_t kFill = 0xFF;
constexpr uint8_t kAccepted = 0x06;

void checkWord(int word) {
    if (word > mem::kLastWord) throw std::invalid_argument("word address beyond the memory");
}
}  // namespace

Frame BuildFrame(uint8_t command, uint8_t address, uint8_t endAddress, uint8_t first,
                 uint8_t second) {
    Frame f{kLead, command, address, 0x00,  kMarkerA, endAddress, 0x00, kMarkerB,
            first, second,  0x00,    kFill, kFill,    kFill,      0x00};
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    f.back() = sum;
    return f;
}

void Link::SendFrame(uint8_t command, uint8_t address, uint8_t endAddress, uint8_t first,
                     uint8_t second) {
    kvcore::sendPaced(*channel_, BuildFrame(command, address, endAddress, first, second));
}

int Link::ReceiveReply() {
    return channel_->receiveReply();
}

LinkResult Link::AwaitAck() {
    const int byte = ReceiveReply();
    if (byte < 0) return LinkResult::CommError1;
    return byte == kAccepted ? LinkResult::Ok : LinkResult::CommError2;
}

LinkResult Link::WriteWord(uint8_t word, uint8_t first, uint8_t second) {
    checkWord(word);
    SendFrame(cmd::WriteWord, word, 0x00, first, second);
    return AwaitAck();
}

LinkResult Link::ReadRange(uint8_t first, uint8_t last, std::span<uint8_t> out,
                           const ByteArrived& arrived) {
    checkWord(last);
    if (last < first || out.size() != 2u * (last - first + 1u))
        throw std::invalid_argument("Read Range into a buffer of another size");
    SendFrame(cmd::ReadRange, first, last, 0x00, 0x00);
    if (const LinkResult r = AwaitAck(); r != LinkResult::Ok) return r;

    // Filled aside and handed over only when complete, so a failed read never leaves part
    // of a memory where the caller might take it for the modem's.
    mem::Image data{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int byte = ReceiveReply();
        if (byte < 0) return LinkResult::CommError1;
        data[i] = static_cast<uint8_t>(byte);
        if (arrived) arrived(static_cast<int>(i));
    }
    std::copy_n(data.begin(), out.size(), out.begin());
    return LinkResult::Ok;
}

}  // namespace kvb
