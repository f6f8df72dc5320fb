#pragma once
// A modem line for the links without any port: every reply byte is the next byte of a script,
// and once the script has run out the line stays silent (-1 at once, without the 1000 ms
// wait). A reply cut off anywhere is a script that ends there. What the link sends is kept.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/pacedlink.h"

namespace kvfuzz {

class ScriptedChannel : public kvcore::ByteChannel {
  public:
    explicit ScriptedChannel(std::span<const uint8_t> script) : script_(script) {}

    void sendPaced(uint8_t byte) override { sent_.push_back(byte); }
    int receiveReply() override;

    // Every byte sent, in order.
    const std::vector<uint8_t>& sent() const { return sent_; }
    // Reply bytes asked for, silent answers included.
    std::size_t receives() const { return receives_; }
    // Script bytes handed out.
    std::size_t delivered() const { return next_; }

  private:
    std::span<const uint8_t> script_;
    std::size_t next_ = 0;
    std::size_t receives_ = 0;
    std::vector<uint8_t> sent_;
};

}  // namespace kvfuzz
