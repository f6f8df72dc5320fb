#pragma once
// What the component shares with its worker threads. It lives in a shared_ptr held by the
// component and by every worker, so a worker that ends after the component was destroyed
// (or after Close) still finds everything it touches alive.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
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

    // Whether OnReceive, OnBreak and OnError are assigned; set once by the component before
    // any worker runs. A notification that no handler takes is never handed over.
    std::shared_ptr<const std::atomic<bool>> receiveHandler;
    std::shared_ptr<const std::atomic<bool>> breakHandler;
    std::shared_ptr<const std::atomic<bool>> errorHandler;

    // Hand-over of a notification to the UI thread, when its handler is assigned; the worker
    // waits until the handler has run. It stops waiting (the note stays queued) while the UI
    // thread is itself waiting for the workers, and drops the note when its session has ended
    // or the component is gone. Returns true when the note was dispatched.
    bool notify(int message, int param, uint64_t session);

    // The UI thread sleeping in its event loop until bytes arrive (a read) or a chunk has
    // gone (a send): while one of these counts is up, the worker that sees the progress
    // rings the doorbell; otherwise nobody wakes the UI thread for it.
    std::atomic<int> readersWaiting{0};
    std::atomic<int> sendersWaiting{0};
    void wakeReaders();
    void wakeSenders();

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
    bool handOver(int message, int param, uint64_t session);
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
