#pragma once
// KV938R/935R/931R frames over a byte channel (the serial component, or a script): the 15-byte
// request frame with its one-byte sum, the one-byte acknowledge, Write Word and Read Range. No
// widgets here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "core/pacedlink.h"
#include "core/transfer.h"

class TCustomCommX;

namespace kvb {

using kvcore::LinkResult;

namespace cmd {
constexpr uint8_t WriteWord = 0x01;
constexpr uint8_t ReadRange = 0x02;
}  // namespace cmd

constexpr std::size_t kFrameSize = 15;
using Frame = std::array<uint8_t, kFrameSize>;

// The request frame: `address` is the word written or the first word read, `endAddress` the
// last word read (0 for a write), `first` and `second` the word's bytes (0 for a read). The
// last byte is the sum of the others, modulo 256.
Frame BuildFrame(uint8_t command, uint8_t address, uint8_t endAddress, uint8_t first,
                 uint8_t second);

// Told the position (from 0) of each Read Range data byte as soon as it has arrived.
using ByteArrived = std::function<void(int index)>;

class Link {
  public:
    explicit Link(TCustomCommX& comm) : channel_(comm) {}
    explicit Link(kvcore::ByteChannel& channel) : channel_(channel) {}

    // Sends the frame one byte at a time, each byte (the last too) followed by WaitMs(2).
    void SendFrame(uint8_t command, uint8_t address, uint8_t endAddress, uint8_t first,
                   uint8_t second);
    // One reply byte within 1000 ms, or -1.
    int ReceiveReply();
    // 0x06 is accepted; any other byte is error 2, nothing within 1000 ms error 1.
    LinkResult AwaitAck();

    // Write Word: word 0..127 gets `first` (byte 2 x word) and `second`.
    LinkResult WriteWord(uint8_t word, uint8_t first, uint8_t second);
    // Read Range of the words first..last (first <= last <= 127): the frame, the acknowledge,
    // then 2 x (last - first + 1) bytes in address order into `out`, which must be exactly that
    // long. `out` changes only when every byte has arrived. A bad range or size is the
    // caller's mistake: std::invalid_argument before anything is sent.
    LinkResult ReadRange(uint8_t first, uint8_t last, std::span<uint8_t> out,
                         const ByteArrived& arrived = {});

  private:
    kvcore::LinkChannel channel_;
};

}  // namespace kvb
