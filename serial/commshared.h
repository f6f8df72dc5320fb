#pragma once
// What the component shares with its worker threads. It lives in a shared_ptr held by the
// component and by every worker, so a worker that ends after the component was destroyed
// (or after Close) still finds everything it touches alive.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace commx {

// Notification numbers handed to the UI thread.
inline constexpr int kNoteCharsArrived = 0x500;
inline constexpr int kNoteBreak = 0x501;
inline constexpr int kNoteLineError = 0x502;
// Messages of the transmit thread's queue.
inline constexpr int kMsgTransmit = 0x500;
inline constexpr int kMsgWakeUp = 0x501;

struct Note {
    int message = 0;
    int param = 0;
    uint64_t session = 0;
    uint64_t id = 0;
};

struct Shared {
    Shared();
    ~Shared();
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    // The write lock: held around the start of every write and every output purge.
    std::mutex writeLock;
    // The counter lock and the two counts it guards.
    std::mutex counterLock;
    int pendingBytes = 0;
    int queuedChunks = 0;

    // Property values the transmit thread reads while it runs.
    std::atomic<int> flowCtrl{0};
    std::atomic<uint32_t> timeOutTrans{0};

    // Hand-over of a notification to the UI thread; the worker waits until the handler has
    // run. It stops waiting (the note stays queued) while the UI thread is itself waiting for
    // the workers, and drops the note when its session has ended or the component is gone.
    // Returns true when the note was dispatched.
    bool handOver(int message, int param, uint64_t session);

    // UI side.
    std::optional<Note> takeNote();
    void noteDone(uint64_t id);
    void setSession(uint64_t session);  // 0: none open, pending notes are dropped
    uint64_t session() const;
    void setUiWaiting(bool waiting);
    void componentGone();
    int doorbell() const { return doorbell_; }  // readable while notes wait
    void clearDoorbell();

  private:
    void ring();

    mutable std::mutex noteMutex_;
    std::condition_variable noteCv_;
    std::deque<Note> notes_;
    std::unordered_set<uint64_t> inFlight_;
    uint64_t nextId_ = 0;
    uint64_t session_ = 0;
    int uiWaiting_ = 0;
    bool alive_ = true;
    int doorbell_ = -1;
};

}  // namespace commx
