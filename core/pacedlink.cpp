#include "core/pacedlink.h"

#include "platform/tick.h"
#include "serial/CommX.h"

namespace kvcore {

namespace {
constexpr int kReplyTimeoutMs = 1000;
constexpr uint32_t kBytePauseMs = 2;
}  // namespace

void sendPaced(TCustomCommX& comm, std::span<const uint8_t> frame) {
    for (const uint8_t byte : frame) {
        // A byte that fails to go out shows up as a missing reply; nothing to check here.
        (void)comm.TransByte(byte);
        platform::WaitMs(kBytePauseMs);
    }
}

int receiveReply(TCustomCommX& comm) {
    comm.setTimeOutReceive(kReplyTimeoutMs);
    const int byte = comm.ReceiveByte();
    comm.setTimeOutReceive(0);
    return byte;
}

}  // namespace kvcore
