#pragma once
// A bare terminal descriptor for talking to the emulator without the serial component.
#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

class RawPort {
  public:
    // Opens the device in raw mode; throws std::runtime_error on failure.
    explicit RawPort(const std::string& path);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    void write(const std::vector<uint8_t>& bytes);
    // Up to `count` bytes; stops early when nothing more arrives within `quietMs`.
    std::vector<uint8_t> read(std::size_t count, int quietMs = 2000);
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace kvtest
