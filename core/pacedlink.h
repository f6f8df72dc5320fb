#pragma once
// What the links of both modems do alike on the serial component: a frame goes out one byte
// at a time, each followed by a pause of more than 2 ms, and every reply byte is awaited for
// 1000 ms. No widgets here.
#include <cstdint>
#include <span>

class TCustomCommX;

namespace kvcore {

// TransByte, then WaitMs(2), for every byte of `frame`, the last one included.
void sendPaced(TCustomCommX& comm, std::span<const uint8_t> frame);
// One reply byte within 1000 ms, or -1. The receive time-out is 0 again afterwards.
int receiveReply(TCustomCommX& comm);

}  // namespace kvcore
