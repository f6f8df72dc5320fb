#pragma once
// Test helpers for the serial component: a pseudo-terminal whose master side the test
// plays, and a port driver that records and injects what a pty cannot do.
#include <termios.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/CommX.h"
#include "serial/portdriver.h"

namespace serialtest {

using Clock = std::chrono::steady_clock;

// A pty pair. The test keeps the slave open as well, so the master never sees EIO while
// the component closes and reopens the port.
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }
    termios slaveTermios() const;
    void send(const std::vector<uint8_t>& bytes) const;
    // Closes the far end: the line hangs up for good.
    void hangUp();
    // Reads from the master until `count` bytes came or `ms` passed, processing events.
    std::vector<uint8_t> receive(size_t count, int ms = 3000) const;

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Points "COM<n>" at a device path for the life of the object.
class PortBinding {
  public:
    PortBinding(int portNo, const std::string& path);
    ~PortBinding();
    PortBinding(const PortBinding&) = delete;
    PortBinding& operator=(const PortBinding&) = delete;

  private:
    std::string name_;
};

// Processes events until `done` holds or `ms` passed; returns `done()`.
bool waitFor(const std::function<bool()>& done, int ms = 3000);
void pumpFor(int ms);
int64_t msSince(Clock::time_point t);

// Ends the test program with a message if the scope is not left within `seconds`: turns a
// deadlock into a failure instead of a hang.
class Watchdog {
  public:
    Watchdog(int seconds, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

// What a FakeDriver did and what it should do; shared between the test and the threads.
struct FakeLog {
    struct Event {
        enum Kind { Write, Rts, Dtr } kind;
        int value;  // bytes written, or the line level
        Clock::time_point at;
    };

    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Event> events;
    std::vector<uint8_t> written;
    bool sink = false;     // swallow writes instead of passing them to the pty
    bool gateOpen = true;  // while false, nothing can be written (an output purge opens it)
    int failWrites = 0;    // this many writes fail with EIO
    bool refuseTimeouts = false;
    std::atomic<int> injectErrors{0};
    std::atomic<bool> injectBreak{false};
    // A slow line: every write takes this long. Output purges that arrive while a write is
    // under way are counted; the write lock should make that impossible.
    std::atomic<int> writeDelayMs{0};
    std::atomic<int> writesUnderWay{0};
    std::atomic<int> outputPurges{0};
    std::atomic<int> purgesDuringWrite{0};

    // Changes of behaviour while the workers run go through the mutex.
    void setSink(bool on);
    void closeGate();
    void openGate();
    void failNextWrites(int n);
    std::vector<int> writeSizes();
    std::vector<Event> eventsOf(Event::Kind kind);
    void clearEvents();
};

// Wraps the real termios driver of the pty and records or alters what the tests need.
class FakeDriver : public commx::PortDriver {
  public:
    FakeDriver(std::unique_ptr<commx::PortDriver> inner, std::shared_ptr<FakeLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    int open() override { return inner_->open(); }
    void release() override { inner_->release(); }
    int fd() const override { return inner_->fd(); }
    bool setQueueSizes(int in, int out) override { return inner_->setQueueSizes(in, out); }
    void purgeOutput() override;
    void purgeInput() override { inner_->purgeInput(); }
    commx::LineSettings settings() override { return inner_->settings(); }
    bool applySettings(const commx::LineSettings& s) override { return inner_->applySettings(s); }
    bool applyTimeouts(const commx::Timeouts& t) override;
    ssize_t write(const uint8_t* data, size_t size) override;
    ssize_t read(uint8_t* data, size_t size) override { return inner_->read(data, size); }
    void drainOutput() override { inner_->drainOutput(); }
    int inputCount() override { return inner_->inputCount(); }
    int takeErrors() override { return log_->injectErrors.exchange(0) | inner_->takeErrors(); }
    bool takeBreak() override { return log_->injectBreak.exchange(false) || inner_->takeBreak(); }
    void setRts(bool on) override;
    void setDtr(bool on) override;

  private:
    std::unique_ptr<commx::PortDriver> inner_;
    std::shared_ptr<FakeLog> log_;
};

// Installs FakeDriver for every Open while alive.
class FakeDriverScope {
  public:
    FakeDriverScope();
    ~FakeDriverScope();
    FakeDriverScope(const FakeDriverScope&) = delete;
    FakeDriverScope& operator=(const FakeDriverScope&) = delete;
    FakeLog& log() { return *log_; }

  private:
    std::shared_ptr<FakeLog> log_;
};

}  // namespace serialtest
