#pragma once
// termios back end of the port driver.
#include <termios.h>

#include <atomic>
#include <mutex>

#include "serial/portdriver.h"

namespace commx {

class TermiosDriver : public PortDriver {
  public:
    explicit TermiosDriver(std::string device);
    ~TermiosDriver() override;
    TermiosDriver(const TermiosDriver&) = delete;
    TermiosDriver& operator=(const TermiosDriver&) = delete;

    int open() override;
    void release() override;
    int fd() const override { return fd_; }

    bool setQueueSizes(int input, int output) override;
    void purgeOutput() override;
    void purgeInput() override;
    LineSettings settings() override;
    bool applySettings(const LineSettings& s) override;
    bool applyTimeouts(const Timeouts& t) override;

    ssize_t write(const uint8_t* data, size_t size) override;
    ssize_t read(uint8_t* data, size_t size) override;
    void drainOutput() override;

    int inputCount() override;
    int takeErrors() override;
    bool takeBreak() override;
    void setRts(bool on) override;
    void setDtr(bool on) override;

  private:
    void setModemLine(int bit, bool on);
    void applyModemLines(uint32_t flags);

    std::string device_;
    int fd_ = -1;
    std::atomic<bool> released_{false};
    // Line-error counters are cumulative in the kernel; we report the growth since the
    // last look.
    std::mutex countMutex_;
    bool countsSupported_ = true;
    struct Counts {
        int frame = 0, parity = 0, overrun = 0, brk = 0;
    } last_;
    bool readCounts(Counts& c);
    // Serialises read-modify-write of the termios record.
    std::mutex stateMutex_;
    LineSettings extra_;  // the fields termios has no place for (limits, spare characters)
};

// termios speed constant for a bit rate; false when the rate has none.
bool speedConstant(uint32_t bitRate, speed_t& out);
uint32_t bitRateOf(speed_t speed);

// Builds raw-mode termios from `base` for the settings; false when Linux cannot do them
// (one and a half stop bits, DSR flow, RTS toggle, odd sizes or rates).
bool termiosFor(const LineSettings& s, termios& t);

}  // namespace commx
