#pragma once
// What the links of both modems do alike: a frame goes out one byte at a time, each followed
// by a pause of more than 2 ms, and every reply byte is awaited for 1000 ms. The links talk
// through a byte channel, so that the same frames and replies can run over the serial
// component or over a script without any port. No widgets here.
#include <cstdint>
#include <optional>
#include <span>

class TCustomCommX;

namespace kvcore {

class ByteChannel {
  public:
    virtual ~ByteChannel() = default;
    // Sends one frame byte, then pauses for more than 2 ms.
    virtual void sendPaced(uint8_t byte) = 0;
    // One reply byte (0..255) within 1000 ms, or -1 when none arrived.
    virtual int receiveReply() = 0;
};

// The serial component: TransByte, then WaitMs(2); ReceiveByte with TimeOutReceive 1000, set
// back to 0 afterwards. Each byte, and each reply that did not come, goes into the trace
// recording on the component, when one is.
class CommChannel final : public ByteChannel {
  public:
    explicit CommChannel(TCustomCommX& comm) : comm_(comm) {}
    void sendPaced(uint8_t byte) override;
    int receiveReply() override;

  private:
    TCustomCommX& comm_;
};

// Every byte of `frame` with its pause, the last one included.
void sendPaced(ByteChannel& channel, std::span<const uint8_t> frame);

// What a link talks through: a channel it is given, or its own on a serial component.
class LinkChannel {
  public:
    explicit LinkChannel(TCustomCommX& comm) : own_(std::in_place, comm), channel_(&*own_) {}
    explicit LinkChannel(ByteChannel& channel) : channel_(&channel) {}
    LinkChannel(const LinkChannel&) = delete;
    LinkChannel& operator=(const LinkChannel&) = delete;

    ByteChannel& operator*() const { return *channel_; }
    ByteChannel* operator->() const { return channel_; }

  private:
    std::optional<CommChannel> own_;
    ByteChannel* channel_;
};

}  // namespace kvcore
