#pragma once
// KV417R frames over a byte channel (the serial component, or a script): 8-byte frames with a
// 16-bit additive checksum, the three-byte acknowledge, Read Word and Read All.
// No widgets here.
#include <array>
#include <cstdint>

#include "core/pacedlink.h"
#include "core/transfer.h"

class TCustomCommX;

namespace kva {

using kvcore::LinkResult;
using kvcore::MemoryImage;
using kvcore::Progress;

namespace cmd {
constexpr uint8_t WriteWord = 0x01;
constexpr uint8_t ReadWord = 0x03;
constexpr uint8_t ReadAll = 0x04;
constexpr uint8_t SetSql = 0x06;
constexpr uint8_t SetChannel = 0x07;
constexpr uint8_t SetTxPower = 0x08;
}  // namespace cmd

using Frame = std::array<uint8_t, 8>;
Frame BuildFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);

class Link {
  public:
    explicit Link(TCustomCommX& comm) : channel_(comm) {}
    explicit Link(kvcore::ByteChannel& channel) : channel_(channel) {}

    // Sends the frame byte by byte, each followed by WaitMs(2).
    void SendFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);
    // One reply byte within 1000 ms, or -1.
    int ReceiveReply();
    LinkResult AwaitAck(bool readAll);

    // Frame + acknowledge (third byte not examined).
    LinkResult Exchange(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);
    // Read Word: frame, acknowledge, two data bytes (byte 2w, then 2w+1).
    LinkResult ReadWord(uint8_t word, uint8_t& first, uint8_t& second);
    // Read All: frame, acknowledge ending in 0x81, the 256-byte block with its progress
    // (10 to 90), the checksum byte, then 100. `image` changes only when all of it agrees.
    // The caller closes the port.
    LinkResult ReadAll(MemoryImage& image, const Progress& progress);

  private:
    kvcore::LinkChannel channel_;
};

}  // namespace kva
