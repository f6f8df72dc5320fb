#include "sim/framedmodem.h"

#include <algorithm>

namespace kvsim {

FramedModem::FramedModem(uint8_t startByte, std::size_t frameSize, const Memory& memory)
    : startByte_(startByte), frameSize_(frameSize), memory_(memory) {}

FramedModem::Memory FramedModem::erasedMemory() {
    Memory m;
    m.fill(0xFF);
    return m;
}

std::vector<uint8_t> FramedModem::image() const {
    return {memory_.begin(), memory_.end()};
}

bool FramedModem::setImage(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kMemorySize) return false;
    Memory m;
    std::copy(bytes.begin(), bytes.end(), m.begin());
    setMemory(m);
    return true;
}

void FramedModem::setMemory(const Memory& memory) {
    memory_ = memory;
    if (faults_.stuckAddress >= 0 && faults_.stuckAddress < static_cast<int>(kMemorySize))
        memory_[static_cast<std::size_t>(faults_.stuckAddress)] = faults_.stuckValue;
}

void FramedModem::setFaults(const ModemFaults& faults) {
    faults_ = faults;
    framesSinceArmed_ = 0;
    bytesSinceArmed_ = 0;
    setMemory(memory_);  // a stuck byte takes its value at once
}

// Asked right after the frame that the reply answers has been counted.
int FramedModem::replyDelayMs() const {
    const int every = faults_.replyDelayEvery;
    return every <= 0 || framesSinceArmed_ % every == 0 ? faults_.replyDelayMs : 0;
}

int FramedModem::countFrames(uint8_t command) const {
    return static_cast<int>(std::count_if(frames_.begin(), frames_.end(),
                                          [&](const Frame& f) { return f[1] == command; }));
}

void FramedModem::clearLog() {
    frames_.clear();
    sent_.clear();
    rejected_ = 0;
    stray_ = 0;
}

std::vector<uint8_t> FramedModem::onByte(uint8_t byte) {
    if (pending_.empty() && byte != startByte_) {
        ++stray_;
        return {};
    }
    pending_.push_back(byte);
    if (pending_.size() < frameSize_) return {};

    if (!checksumMatches(pending_)) {
        // No answer: the tool sees a time-out, as with a frame garbled on the line.
        ++rejected_;
        resynchronise();
        return {};
    }
    const Frame frame = std::move(pending_);
    pending_.clear();
    frames_.push_back(frame);
    ++framesSinceArmed_;
    std::vector<uint8_t> reply = applyOutputFaults(answer(frame));
    sent_.insert(sent_.end(), reply.begin(), reply.end());
    return reply;
}

// The start byte that began a bad frame may have been noise: hunt for the next start byte
// among the bytes already received, so a real frame right behind the noise is understood.
void FramedModem::resynchronise() {
    auto next = std::find(pending_.begin() + 1, pending_.end(), startByte_);
    stray_ += static_cast<int>(next - pending_.begin()) - 1;
    pending_.erase(pending_.begin(), next);
}

std::vector<uint8_t> FramedModem::withAckFault(std::vector<uint8_t> ack, uint8_t command) const {
    const int pos = faults_.wrongAckPosition;
    const bool frameHit =
        faults_.wrongAckOnFrame == 0 || faults_.wrongAckOnFrame == framesSinceArmed_;
    const bool commandHit = faults_.wrongAckCommand < 0 || faults_.wrongAckCommand == command;
    if (pos >= 1 && pos <= static_cast<int>(ack.size()) && frameHit && commandHit)
        ack[static_cast<std::size_t>(pos - 1)] = faults_.wrongAckValue;
    return ack;
}

void FramedModem::store(int address, uint8_t value) {
    if (address == faults_.stuckAddress) return;
    memory_[static_cast<std::size_t>(address)] = value;
}

void FramedModem::writeWord(int word, uint8_t first, uint8_t second) {
    if (word == faults_.ignoredWriteWord) return;
    store(2 * word, first);
    store(2 * word + 1, second);
}

std::vector<uint8_t> FramedModem::applyOutputFaults(std::vector<uint8_t> reply) {
    if (faults_.silenceAfterBytes >= 0) {
        const long left = std::max<long>(0, faults_.silenceAfterBytes - bytesSinceArmed_);
        bytesSinceArmed_ += static_cast<long>(reply.size());
        if (static_cast<long>(reply.size()) > left) reply.resize(static_cast<std::size_t>(left));
        return reply;
    }
    bytesSinceArmed_ += static_cast<long>(reply.size());
    return reply;
}

}  // namespace kvsim
