#include "serial/commthreads.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/tick.h"
#include "serial/CommX.h"
#include "serial/commshared.h"
#include "serial/portdriver.h"

namespace {

// Trivially destructible, so a worker that ends during process exit finds it intact.
std::atomic<int> gActiveWorkers{0};

// The system threads of the workers. A worker deletes itself; its finished thread is joined
// here later (at the next start, or when someone waits for the workers), so a caller of
// waitForWorkers knows the threads are really gone. Close never waits for one.
class Reaper {
  public:
    void add(std::thread thread, std::shared_ptr<std::atomic<bool>> done) {
        std::lock_guard lock(mutex_);
        joinFinishedLocked();
        try {
            entries_.reserve(entries_.size() + 1);
        } catch (const std::bad_alloc&) {
            thread.detach();  // no room to keep it: it still ends by itself
            return;
        }
        entries_.push_back({std::move(thread), std::move(done)});
    }
    // True when no thread is left.
    bool joinFinished() {
        std::lock_guard lock(mutex_);
        joinFinishedLocked();
        return entries_.empty();
    }
    // At process exit nobody will join what is left; the threads end with the process.
    void letGo() {
        std::lock_guard lock(mutex_);
        for (Entry& e : entries_) e.thread.detach();
        entries_.clear();
    }

  private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;  // the worker's last step has run
    };
    void joinFinishedLocked() {
        std::erase_if(entries_, [](Entry& e) {
            if (!e.done->load()) return false;
            e.thread.join();  // only the system's thread exit is left: no real wait
            return true;
        });
    }
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

// Never destroyed: at process exit workers may still run, and a joinable std::thread must
// not be destroyed.
Reaper& reaper() {
    static Reaper* const r = [] {
        auto* created = new Reaper;
        std::atexit([] { reaper().letGo(); });
        return created;
    }();
    return *r;
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void drainEventFd(int fd) {
    // One read takes the whole count and resets it: a second would only fail with EAGAIN.
    uint64_t count = 0;
    if (::read(fd, &count, sizeof count) < 0) {
        // EAGAIN: nothing was rung.
    }
}

void ringEventFd(int fd) {
    const uint64_t one = 1;
    if (::write(fd, &one, sizeof one) < 0) {
        // Only EAGAIN on a saturated counter: it is signalled already.
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------

bool TCommThread::Start() {
    auto self = shared_from_this();
    auto done = std::make_shared<std::atomic<bool>>(false);
    gActiveWorkers.fetch_add(1);
    try {
        std::thread thread([self, done]() mutable {
            self->Execute();
            self.reset();  // the thread deletes itself once the component has let go
            gActiveWorkers.fetch_sub(1);
            done->store(true);
        });
        reaper().add(std::move(thread), std::move(done));
    } catch (const std::system_error&) {
        gActiveWorkers.fetch_sub(1);
        return false;
    }
    return true;
}

int TCommThread::activeCount() {
    return gActiveWorkers.load();
}

bool TCommThread::joinFinished() {
    return reaper().joinFinished();
}

void TCommThread::lingerBeforeEnd() {
    sleepMs(1000);
}

// ---------------------------------------------------------------------------------------

TCommTransThread::TCommTransThread(std::shared_ptr<commx::Shared> shared,
                                   std::shared_ptr<commx::PortDriver> driver, uint64_t session)
    : shared_(std::move(shared)),
      driver_(std::move(driver)),
      session_(session),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TCommTransThread::~TCommTransThread() {
    if (wake_ >= 0) ::close(wake_);
}

bool TCommTransThread::Post(int message, int length, std::unique_ptr<uint8_t[]> block) {
    if (wake_ < 0) return false;
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(Message{message, length, std::move(block)});
    }
    ringEventFd(wake_);
    return true;
}

void TCommTransThread::setPurge(bool on) {
    purge_.store(on);
    // A write waiting for room in the output queue ends at once.
    if (on && wake_ >= 0) ringEventFd(wake_);
}

bool TCommTransThread::take(Message& m) {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty()) return false;
    m = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void TCommTransThread::drainWake() {
    drainEventFd(wake_);
}

void TCommTransThread::waitForMessage() {
    for (;;) {
        {
            std::lock_guard lock(queueMutex_);
            if (!queue_.empty()) return;
        }
        if (Terminated()) return;
        pollfd p{wake_, POLLIN, 0};
        if (::poll(&p, 1, -1) < 0 && errno != EINTR) sleepMs(1);
        drainWake();
    }
}

void TCommTransThread::Execute() {
    while (!Terminated()) {
        bool burst = false;
        waitForMessage();
        Message m;
        while (take(m)) {
            if (m.message != commx::kMsgTransmit) continue;
            if (!purging() && !Terminated()) {
                if (!burst) {
                    burst = true;
                    burstEdge(true);
                }
                sendChunk(m.block.get(), m.length);
            }
            m.block.reset();
            {
                std::lock_guard lock(shared_->counterLock);
                shared_->pendingBytes = std::max(0, shared_->pendingBytes - m.length);
                if (shared_->queuedChunks > 0) --shared_->queuedChunks;
            }
            shared_->wakeSenders();  // a TransData waiting for room may go on
        }
        if (burst) burstEdge(false);
    }
    driver_.reset();  // the port closes as soon as nobody needs it any more
    lingerBeforeEnd();
}

void TCommTransThread::sendChunk(const uint8_t* data, int length) {
    // 0 means no time limit for a write.
    const uint32_t limit = shared_->timeOutTrans.load();
    const uint32_t start = platform::GetTickCount();
    size_t done = 0;
    const auto total = static_cast<size_t>(length);
    while (!purging() && !Terminated()) {
        ssize_t n;
        {
            std::lock_guard lock(shared_->writeLock);
            n = driver_->write(data + done, total - done);
        }
        if (n >= 0) {
            done += static_cast<size_t>(n);
            if (done >= total) return;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            reportErrors();  // the write failed: the chunk is dropped
            return;
        }
        int waitMs = -1;
        if (limit != 0) {
            const uint32_t elapsed = platform::GetTickCount() - start;
            if (elapsed >= limit) return;  // timed out: the rest of the chunk is dropped
            waitMs = static_cast<int>(std::min<uint32_t>(limit - elapsed, 1u << 30));
        }
        waitWritable(waitMs);
    }
}

bool TCommTransThread::waitWritable(int timeoutMs) {
    pollfd p[2] = {{driver_->fd(), POLLOUT, 0}, {wake_, POLLIN, 0}};
    const int n = ::poll(p, 2, timeoutMs);
    if (n < 0) return false;
    if (p[1].revents) drainWake();  // queued messages stay in the queue; only the bell goes
    // A hung-up line reports at once forever: pause instead of spinning on it.
    if ((p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p[0].revents & POLLOUT)) sleepMs(1);
    return (p[0].revents & POLLOUT) != 0;
}

void TCommTransThread::burstEdge(bool start) {
    const int mode = shared_->flowCtrl.load();
    if (mode != cfcHalfHigh && mode != cfcHalfLow) return;
    const bool activeHigh = mode == cfcHalfHigh;
    if (start) {
        sleepMs(100);
        driver_->setRts(activeHigh);
        sleepMs(10);
    } else {
        // A completed write here only means the bytes are in the kernel's queue; the line
        // must not be turned round before they have gone out.
        driver_->drainOutput();
        sleepMs(20);
        driver_->setRts(!activeHigh);
    }
}

void TCommTransThread::reportErrors() {
    const int bits = driver_->takeErrors() & 0x0E;
    if (bits) shared_->notify(commx::kNoteLineError, bits, session_);
}

// ---------------------------------------------------------------------------------------

namespace {
constexpr uint32_t kWakeTag = 0;
constexpr uint32_t kPortTag = 1;
}  // namespace

TCommReceiveThread::TCommReceiveThread(std::shared_ptr<commx::Shared> shared,
                                       std::shared_ptr<commx::PortDriver> driver, uint64_t session)
    : shared_(std::move(shared)),
      driver_(std::move(driver)),
      session_(session),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
    if (wake_ < 0 || epoll_ < 0) return;
    // Closing the port does not wake epoll_wait; the wake-up event does.
    epoll_event wakeEv{};
    wakeEv.events = EPOLLIN;
    wakeEv.data.u32 = kWakeTag;
    epoll_event portEv{};
    portEv.events = EPOLLIN | EPOLLET;  // one edge per arrival; the count comes from the queue
    portEv.data.u32 = kPortTag;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wakeEv) != 0 ||
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, driver_->fd(), &portEv) != 0) {
        ::close(epoll_);
        epoll_ = -1;
    }
}

TCommReceiveThread::~TCommReceiveThread() {
    if (epoll_ >= 0) ::close(epoll_);
    if (wake_ >= 0) ::close(wake_);
}

void TCommReceiveThread::Wake() {
    if (wake_ >= 0) ringEventFd(wake_);
}

void TCommReceiveThread::Execute() {
    bool watchingPort = true;
    for (;;) {
        bool chars = false;
        bool hangUp = false;
        epoll_event events[4];
        const int n = ::epoll_wait(epoll_, events, 4, -1);
        if (n < 0 && errno != EINTR) sleepMs(10);
        for (int i = 0; i < n; ++i) {
            if (events[i].data.u32 == kWakeTag) {
                drainEventFd(wake_);
                continue;
            }
            if (events[i].events & EPOLLIN) chars = true;
            if (events[i].events & (EPOLLHUP | EPOLLERR)) hangUp = true;
        }
        if (Terminated()) break;
        if (hangUp && watchingPort) {
            // A hung-up line keeps reporting; stop watching it until Close.
            ::epoll_ctl(epoll_, EPOLL_CTL_DEL, driver_->fd(), nullptr);
            watchingPort = false;
        }
        const int bits = driver_->takeErrors() & 0x0E;
        if (bits) shared_->notify(commx::kNoteLineError, bits, session_);
        if (driver_->takeBreak()) shared_->notify(commx::kNoteBreak, 0x40, session_);
        // A hand-over wakes a waiting read as well; without one the read is woken alone, and
        // only while the bytes are still unread: a read that took them already needs nothing.
        if (chars && !shared_->notify(commx::kNoteCharsArrived, 0, session_) &&
            shared_->readersWaiting.load() > 0 && driver_->inputCount() > 0)
            shared_->wakeReaders();
        // A waiting read looks at a hung-up line at once: where reading it fails, the read
        // ends there instead of waiting out its time-out.
        if (hangUp) shared_->wakeReaders();
    }
    ::close(epoll_);
    epoll_ = -1;
    driver_.reset();
    lingerBeforeEnd();
}
