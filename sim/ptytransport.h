#pragma once
// Serves one modem state machine on a pseudo-terminal, on a thread of its own. The tool
// under test opens the slave side (devicePath(), or a symlink to it) as its serial port.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/modem.h"

namespace kvsim {

struct PtyOptions {
    // Pace the replies like a 9600 bit/s 8E1 line (11 bits a byte); a pty delivers
    // everything at once otherwise. Received bytes are taken as they come.
    bool lineTiming = false;
};

class PtyTransport {
  public:
    using Options = PtyOptions;

    // Opens the pseudo-terminal and starts serving; throws std::runtime_error on failure.
    explicit PtyTransport(std::unique_ptr<ModemMachine> machine, Options options = {});
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    // Ends the serving thread within a poll interval; idempotent.
    void stop();

    const std::string& devicePath() const { return device_; }

    // A symlink to the slave device, removed again by removeLink() or the destructor.
    // A stale symlink in the way is replaced; any other file there is an error.
    void placeLink(const std::string& linkPath);
    void removeLink();

    // Runs fn(machine) under the lock the serving thread also takes, so a test can arm
    // faults or look at memory and frames while the tool talks. Copy out what you need:
    // references must not escape the call. M selects the concrete machine type.
    template <class M = ModemMachine, class Fn>
    decltype(auto) withModem(Fn&& fn) {
        std::lock_guard lock(machineMutex_);
        return std::forward<Fn>(fn)(dynamic_cast<M&>(*machine_));
    }

    uint64_t bytesReceived() const { return received_.load(); }
    uint64_t bytesSent() const { return sent_.load(); }
    // When the last reply byte was handed to the line; the clock's epoch before the first.
    std::chrono::steady_clock::time_point lastSentAt() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(lastSent_.load()));
    }

  private:
    void serve();
    void handle(uint8_t byte);
    void send(const std::vector<uint8_t>& reply);
    bool writeAll(const uint8_t* data, std::size_t size);
    // Sleeps, but returns early (false) when stop() is called.
    bool pause(int64_t micros);
    bool stopping() const { return stopping_.load(); }

    std::unique_ptr<ModemMachine> machine_;
    std::mutex machineMutex_;
    Options options_;
    int master_ = -1;
    int slave_ = -1;  // held open, never read: keeps the master free of EIO between Opens
    std::string device_;
    std::string link_;

    std::atomic<bool> stopping_{false};
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    std::atomic<uint64_t> received_{0};
    std::atomic<uint64_t> sent_{0};
    std::atomic<std::chrono::steady_clock::rep> lastSent_{0};
    std::thread thread_;
};

}  // namespace kvsim
