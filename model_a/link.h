#pragma once
// KV417R frames over the serial component: 8-byte frames with a 16-bit additive checksum,
// the three-byte acknowledge, paced sending, per-byte reply time-out, Read All.
// No widgets here.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "model_a/chdata.h"

class TCustomCommX;

namespace kva {

namespace cmd {
constexpr uint8_t WriteWord = 0x01;
constexpr uint8_t ReadWord = 0x03;
constexpr uint8_t ReadAll = 0x04;
constexpr uint8_t SetSql = 0x06;
constexpr uint8_t SetChannel = 0x07;
constexpr uint8_t SetTxPower = 0x08;
}  // namespace cmd

using Frame = std::array<uint8_t, 8>;
Frame buildFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);

enum class LinkResult { Ok, CommError1, CommError2 };
QString commErrorMessage(LinkResult r);  // "Communication Error[1]!!"
QString commErrorLogLine(LinkResult r);  // "***** Communication Error[1]!! *****"

// "  " + "%3d" of percent + " % Finished [" + what + "]"
QString progressLine(int percent, const QString& what);

using LogFn = std::function<void(const QString&)>;

class Link {
public:
    explicit Link(TCustomCommX& comm) : comm_(comm) {}

    // Sends the frame byte by byte, each followed by WaitMs(2).
    void SendFrame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);
    // One reply byte within 1000 ms, or -1.
    int ReceiveReply();
    LinkResult AwaitAck(bool readAll);

    // Frame + acknowledge (third byte not examined).
    LinkResult exchange(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3);
    // Read Word: frame, acknowledge, two data bytes (byte 2w, then 2w+1).
    LinkResult readWord(uint8_t word, uint8_t& first, uint8_t& second);
    // Read All: frame, acknowledge ending in 0x81, the 256-byte block with progress lines
    // through `log`, the checksum byte, and the line for 100. The caller closes the port.
    LinkResult readAll(MemoryImage& image, const LogFn& log);

private:
    TCustomCommX& comm_;
};

}  // namespace kva
