#include "serialtest.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "gtest/gtest.h"

namespace serialtest {

namespace {

// Workers end about a second after Close; let them finish before the process exits so
// the sanitizer runs see a clean end.
class WorkersEndEnvironment : public testing::Environment {
  public:
    void TearDown() override { TCustomCommX::waitForWorkers(5000); }
};
[[maybe_unused]] testing::Environment* const gWorkersEnd =
    testing::AddGlobalTestEnvironment(new WorkersEndEnvironment);

}  // namespace

Pty::Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("no pty name");
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) throw std::runtime_error("cannot open the pty slave");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Raw from the start, so nothing the test sends is echoed or cooked before the
    // component has set the line up.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
}

Pty::~Pty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

void Pty::hangUp() {
    ::close(master_);
    master_ = -1;
}

termios Pty::slaveTermios() const {
    termios t{};
    ::tcgetattr(slave_, &t);
    return t;
}

void Pty::send(const std::vector<uint8_t>& bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw std::runtime_error("pty write failed");
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<uint8_t> Pty::receive(size_t count, int ms) const {
    std::vector<uint8_t> out;
    const auto start = Clock::now();
    while (out.size() < count && msSince(start) < ms) {
        uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
        if (n > 0) {
            out.insert(out.end(), buf, buf + n);
            continue;
        }
        QCoreApplication::processEvents();
        pollfd p{master_, POLLIN, 0};
        ::poll(&p, 1, 5);
    }
    return out;
}

PortBinding::PortBinding(int portNo, const std::string& path)
    : name_("KVPROG_COM" + std::to_string(portNo)) {
    ::setenv(name_.c_str(), path.c_str(), 1);
}

PortBinding::~PortBinding() {
    ::unsetenv(name_.c_str());
}

int64_t msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

bool waitFor(const std::function<bool()>& done, int ms) {
    const auto start = Clock::now();
    while (!done()) {
        if (msSince(start) > ms) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void pumpFor(int ms) {
    waitFor([] { return false; }, ms);
}

Watchdog::Watchdog(int seconds, std::string what)
    : thread_([this, seconds, what = std::move(what)] {
          std::unique_lock lock(mutex_);
          if (!cv_.wait_for(lock, std::chrono::seconds(seconds), [&] { return done_; })) {
              std::fprintf(stderr, "watchdog: %s did not finish in %d s\n", what.c_str(), seconds);
              std::abort();
          }
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

// ---------------------------------------------------------------------------------------

void FakeLog::setSink(bool on) {
    std::lock_guard lock(mutex);
    sink = on;
}

void FakeLog::closeGate() {
    std::lock_guard lock(mutex);
    gateOpen = false;
}

void FakeLog::failNextWrites(int n) {
    std::lock_guard lock(mutex);
    failWrites = n;
}

void FakeLog::openGate() {
    {
        std::lock_guard lock(mutex);
        gateOpen = true;
    }
    cv.notify_all();
}

std::vector<int> FakeLog::writeSizes() {
    std::vector<int> sizes;
    for (const auto& e : eventsOf(Event::Write)) sizes.push_back(e.value);
    return sizes;
}

std::vector<FakeLog::Event> FakeLog::eventsOf(Event::Kind kind) {
    std::lock_guard lock(mutex);
    std::vector<Event> out;
    for (const auto& e : events)
        if (e.kind == kind) out.push_back(e);
    return out;
}

void FakeLog::clearEvents() {
    std::lock_guard lock(mutex);
    events.clear();
    written.clear();
}

void FakeDriver::purgeOutput() {
    if (log_->writesUnderWay.load() > 0) ++log_->purgesDuringWrite;
    ++log_->outputPurges;
    log_->openGate();  // a purge ends a write that waits
    inner_->purgeOutput();
}

bool FakeDriver::applyTimeouts(const commx::Timeouts& t) {
    {
        std::lock_guard lock(log_->mutex);
        if (log_->refuseTimeouts) return false;
    }
    return inner_->applyTimeouts(t);
}

ssize_t FakeDriver::write(const uint8_t* data, size_t size) {
    ++log_->writesUnderWay;
    struct Leave {
        std::atomic<int>& n;
        ~Leave() { --n; }
    } leave{log_->writesUnderWay};
    if (const int ms = log_->writeDelayMs.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    // A shut gate looks like a full output queue. It does not block inside the call: the
    // caller holds the write lock, which an output purge needs to open the gate.
    std::unique_lock lock(log_->mutex);
    if (!log_->cv.wait_for(lock, std::chrono::milliseconds(2), [&] { return log_->gateOpen; })) {
        errno = EAGAIN;
        return -1;
    }
    if (log_->failWrites > 0) {
        --log_->failWrites;
        errno = EIO;
        return -1;
    }
    ssize_t n = static_cast<ssize_t>(size);
    if (!log_->sink) n = inner_->write(data, size);
    if (n > 0) {
        log_->events.push_back({FakeLog::Event::Write, static_cast<int>(n), Clock::now()});
        log_->written.insert(log_->written.end(), data, data + n);
    }
    return n;
}

void FakeDriver::setRts(bool on) {
    {
        std::lock_guard lock(log_->mutex);
        log_->events.push_back({FakeLog::Event::Rts, on ? 1 : 0, Clock::now()});
    }
    inner_->setRts(on);
}

void FakeDriver::setDtr(bool on) {
    {
        std::lock_guard lock(log_->mutex);
        log_->events.push_back({FakeLog::Event::Dtr, on ? 1 : 0, Clock::now()});
    }
    inner_->setDtr(on);
}

FakeDriverScope::FakeDriverScope() : log_(std::make_shared<FakeLog>()) {
    auto log = log_;
    TCustomCommX::setDriverFactory([log](const std::string& device) {
        return std::make_unique<FakeDriver>(commx::makeTermiosDriver(device), log);
    });
}

FakeDriverScope::~FakeDriverScope() {
    TCustomCommX::setDriverFactory(nullptr);
}

}  // namespace serialtest
