#include "fuzz/scriptedchannel.h"

namespace kvfuzz {

int ScriptedChannel::receiveReply() {
    ++receives_;
    if (next_ >= script_.size()) return -1;
    return script_[next_++];
}

}  // namespace kvfuzz
