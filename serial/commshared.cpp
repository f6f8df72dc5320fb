#include "serial/commshared.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace commx {

Shared::Shared() : doorbell_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Shared::~Shared() {
    if (doorbell_ >= 0) ::close(doorbell_);
}

void Shared::ring() {
    const uint64_t one = 1;
    if (doorbell_ >= 0 && ::write(doorbell_, &one, sizeof one) < 0) {
        // EAGAIN only when the counter is saturated: the bell is already ringing.
    }
}

void Shared::clearDoorbell() {
    uint64_t count = 0;
    if (doorbell_ >= 0 && ::read(doorbell_, &count, sizeof count) < 0) {
        // EAGAIN: nothing was rung.
    }
}

bool Shared::notify(int message, int param, uint64_t session) {
    const std::shared_ptr<const std::atomic<bool>>& assigned =
        message == kNoteCharsArrived ? receiveHandler
        : message == kNoteBreak      ? breakHandler
                                     : errorHandler;
    if (assigned && !assigned->load()) return false;
    return handOver(message, param, session);
}

void Shared::wakeReaders() {
    if (readersWaiting.load() > 0) ring();
}

void Shared::wakeSenders() {
    if (sendersWaiting.load() > 0) ring();
}

bool Shared::handOver(int message, int param, uint64_t session) {
    std::unique_lock lock(noteMutex_);
    if (!alive_ || session == 0 || session != session_) return false;
    const uint64_t id = ++nextId_;
    notes_.push_back(Note{message, param, session, id});
    inFlight_.insert(id);
    ring();
    noteCv_.wait(lock, [&] {
        return !inFlight_.contains(id) || !alive_ || session_ != session || uiWaiting_ > 0;
    });
    return !inFlight_.contains(id);
}

std::optional<Note> Shared::takeNote() {
    std::lock_guard lock(noteMutex_);
    if (notes_.empty()) return std::nullopt;
    Note n = notes_.front();
    notes_.pop_front();
    return n;
}

void Shared::noteDone(uint64_t id) {
    {
        std::lock_guard lock(noteMutex_);
        inFlight_.erase(id);
    }
    noteCv_.notify_all();
}

void Shared::setSession(uint64_t session) {
    {
        std::lock_guard lock(noteMutex_);
        session_ = session;
        if (session == 0) {
            // No event is raised after Close: whatever was still queued goes.
            notes_.clear();
            inFlight_.clear();
        }
    }
    noteCv_.notify_all();
}

uint64_t Shared::session() const {
    std::lock_guard lock(noteMutex_);
    return session_;
}

void Shared::setUiWaiting(bool waiting) {
    {
        std::lock_guard lock(noteMutex_);
        uiWaiting_ += waiting ? 1 : -1;
    }
    noteCv_.notify_all();
}

void Shared::componentGone() {
    {
        std::lock_guard lock(noteMutex_);
        alive_ = false;
        session_ = 0;
        notes_.clear();
        inFlight_.clear();
    }
    noteCv_.notify_all();
}

}  // namespace commx
