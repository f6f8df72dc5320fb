#include "core/pacedlink.h"

#include "core/trace.h"
#include "platform/tick.h"
#include "serial/CommX.h"

namespace kvcore {

namespace {
constexpr int kReplyTimeoutMs = 1000;
constexpr uint32_t kBytePauseMs = 2;
}  // namespace

void CommChannel::sendPaced(uint8_t byte) {
    if (ProtocolTrace* const trace = traceOf(&comm_)) trace->sent(byte);
    // A byte that fails to go out shows up as a missing reply; nothing to check here.
    (void)comm_.TransByte(byte);
    platform::WaitMs(kBytePauseMs);
}

int CommChannel::receiveReply() {
    comm_.setTimeOutReceive(kReplyTimeoutMs);
    const int byte = comm_.ReceiveByte();
    comm_.setTimeOutReceive(0);
    if (ProtocolTrace* const trace = traceOf(&comm_)) {
        if (byte < 0)
            trace->timedOut();
        else
            trace->received(static_cast<uint8_t>(byte));
    }
    return byte;
}

void sendPaced(ByteChannel& channel, std::span<const uint8_t> frame) {
    for (const uint8_t byte : frame) channel.sendPaced(byte);
}

}  // namespace kvcore
