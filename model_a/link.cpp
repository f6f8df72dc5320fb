#include "model_a/link.h"

namespace kva {

namespace {
constexpr uint8_t kStart = 0xCC;
constexpr uint8_t kAck1 = 0x33;
constexpr uint8_t kAck2 = 0x06;
constexpr uint8_t kAckReadAll = 0x81;
constexpr int kProgressStep = 26;  // block bytes between two progress lines
}  // namespace

Frame BuildFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3) {
    Frame f{kStart, command, p1, p2, p3, 0x00, 0, 0};
    uint16_t sum = 0;  // at most 5 x 255, so it never wraps
    for (std::size_t i = 1; i <= 5; ++i) sum = static_cast<uint16_t>(sum + f[i]);
    f[6] = static_cast<uint8_t>(sum >> 8);
    f[7] = static_cast<uint8_t>(sum & 0xFF);
    return f;
}

void Link::SendFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3) {
    kvcore::sendPaced(*channel_, BuildFrame(command, p1, p2, p3));
}

int Link::ReceiveReply() {
    return channel_->receiveReply();
}

LinkResult Link::AwaitAck(bool readAll) {
    // Checked as they arrive: a wrong byte ends the exchange before the next is read.
    const int expected[3] = {kAck1, kAck2, readAll ? kAckReadAll : -1};
    for (const int want : expected) {
        const int byte = ReceiveReply();
        if (byte < 0) return LinkResult::CommError1;
        if (want >= 0 && byte != want) return LinkResult::CommError2;
    }
    return LinkResult::Ok;
}

LinkResult Link::Exchange(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3) {
    SendFrame(command, p1, p2, p3);
    return AwaitAck(false);
}

LinkResult Link::ReadWord(uint8_t word, uint8_t& first, uint8_t& second) {
    if (const LinkResult r = Exchange(cmd::ReadWord, word, 0, 0); r != LinkResult::Ok) return r;
    const int hi = ReceiveReply();
    if (hi < 0) return LinkResult::CommError1;
    const int lo = ReceiveReply();
    if (lo < 0) return LinkResult::CommError1;
    first = static_cast<uint8_t>(hi);
    second = static_cast<uint8_t>(lo);
    return LinkResult::Ok;
}

LinkResult Link::ReadAll(MemoryImage& image, const Progress& progress) {
    const auto report = [&](int percent) {
        if (progress) progress(percent);
    };
    SendFrame(cmd::ReadAll, 0, 0, 0);
    if (const LinkResult r = AwaitAck(true); r != LinkResult::Ok) return r;

    // Filled aside and handed over only when the checksum agrees, so a failed read never
    // leaves half a block where the caller might take it for memory.
    MemoryImage block{};
    unsigned sum = 0;
    for (int i = 0; i < kvcore::kMemorySize; ++i) {
        const int byte = ReceiveReply();
        if (byte < 0) return LinkResult::CommError1;
        block[static_cast<std::size_t>(i)] = static_cast<uint8_t>(byte);
        sum += static_cast<unsigned>(byte);
        if (i > 0 && i % kProgressStep == 0) report(i / kProgressStep * 10);
    }
    const int checksum = ReceiveReply();
    if (checksum < 0) return LinkResult::CommError1;
    if (static_cast<unsigned>(checksum) != (sum & 0xFF)) return LinkResult::CommError2;
    image = block;
    report(100);
    return LinkResult::Ok;
}

}  // namespace kva
