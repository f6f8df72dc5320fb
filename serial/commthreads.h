#pragma once
// The two worker threads of an open port. Each is created suspended, started once, polls
// its Terminated flag, and after it has seen it waits a while and deletes itself: nobody
// waits for a worker or deletes it. Only its finished system thread is joined later.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace commx {
struct Shared;
class PortDriver;
}  // namespace commx

class TCommThread : public std::enable_shared_from_this<TCommThread> {
  public:
    virtual ~TCommThread() = default;
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // Starts the thread; false when the system could not create one.
    bool Start();
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

    // Workers that have been started and not yet ended, across all components.
    static int activeCount();
    // Joins the system threads of the workers that have ended; true when none is left.
    static bool joinFinished();

  protected:
    TCommThread() = default;
    virtual void Execute() = 0;
    // The pause between seeing Terminated and ending.
    static void lingerBeforeEnd();

  private:
    std::atomic<bool> terminated_{false};
};

class TCommTransThread : public TCommThread {
  public:
    TCommTransThread(std::shared_ptr<commx::Shared> shared,
                     std::shared_ptr<commx::PortDriver> driver, uint64_t session);
    ~TCommTransThread() override;

    // False when the thread's queue could not be set up.
    bool ready() const { return wake_ >= 0; }
    // Queues a message (kMsgTransmit with a chunk, or kMsgWakeUp) and wakes the thread.
    bool Post(int message, int length, std::unique_ptr<uint8_t[]> block);
    void setPurge(bool on);
    bool purging() const { return purge_.load(); }

  protected:
    void Execute() override;

  private:
    struct Message {
        int message = 0;
        int length = 0;
        std::unique_ptr<uint8_t[]> block;
    };
    bool take(Message& m);
    void waitForMessage();
    void sendChunk(const uint8_t* data, int length);
    bool waitWritable(int timeoutMs);
    void drainWake();
    void burstEdge(bool start);
    void reportErrors();

    std::shared_ptr<commx::Shared> shared_;
    std::shared_ptr<commx::PortDriver> driver_;
    uint64_t session_;
    int wake_ = -1;
    std::atomic<bool> purge_{false};
    std::mutex queueMutex_;
    std::deque<Message> queue_;
};

class TCommReceiveThread : public TCommThread {
  public:
    TCommReceiveThread(std::shared_ptr<commx::Shared> shared,
                       std::shared_ptr<commx::PortDriver> driver, uint64_t session);
    ~TCommReceiveThread() override;

    bool ready() const { return wake_ >= 0 && epoll_ >= 0; }
    // Signals the wake-up event so that the thread looks at Terminated.
    void Wake();

  protected:
    void Execute() override;

  private:
    std::shared_ptr<commx::Shared> shared_;
    std::shared_ptr<commx::PortDriver> driver_;
    uint64_t session_;
    // Made here rather than in Execute, so a wake-up given before the thread ran is kept.
    int wake_ = -1;
    int epoll_ = -1;
};
