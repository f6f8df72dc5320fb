#pragma once
// The operating-system side of one open port. The component talks to the line only through
// this interface, so tests can stand in for hardware a pseudo-terminal cannot imitate
// (line errors, break, modem-control lines).
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace commx {

// The kept line-settings record (the driver's port state). `flags` uses the classic
// device-control bit layout: 0x0001 binary, 0x0002 parity check, 0x0004 CTS output flow,
// 0x0008 DSR output flow, 0x0030 DTR control (1 asserted, 2 handshake), 0x0100 XON/XOFF
// out, 0x0200 XON/XOFF in, 0x3000 RTS control (1 asserted, 2 handshake, 3 toggle).
struct LineSettings {
    uint32_t length = 28;
    uint32_t baudRate = 9600;
    uint32_t flags = 0;
    int xonLim = 0;
    int xoffLim = 0;
    uint8_t byteSize = 8;
    uint8_t parity = 0;    // 0 none, 1 odd, 2 even
    uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0x11;
    char xoffChar = 0x13;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;
};

namespace flag {
inline constexpr uint32_t binary = 0x0001;
inline constexpr uint32_t parity = 0x0002;
inline constexpr uint32_t outxCtsFlow = 0x0004;
inline constexpr uint32_t outxDsrFlow = 0x0008;
inline constexpr uint32_t dtrMask = 0x0030;
inline constexpr uint32_t dtrEnable = 0x0010;
inline constexpr uint32_t dtrHandshake = 0x0020;
inline constexpr uint32_t outX = 0x0100;
inline constexpr uint32_t inX = 0x0200;
inline constexpr uint32_t rtsMask = 0x3000;
inline constexpr uint32_t rtsEnable = 0x1000;
inline constexpr uint32_t rtsHandshake = 0x2000;
inline constexpr uint32_t rtsToggle = 0x3000;
}  // namespace flag

// Read and write total time-outs in ms; a read interval of all bits set means no
// interval limit.
struct Timeouts {
    uint32_t readInterval = 0xFFFFFFFF;
    uint32_t readMultiplier = 0;
    uint32_t readConstant = 0;
    uint32_t writeMultiplier = 0;
    uint32_t writeConstant = 0;
};

// One instance serves one opening of a device. The component and its two worker threads
// share it, so every member must be safe to call from several threads at once.
class PortDriver {
  public:
    virtual ~PortDriver() = default;

    // Opens the device exclusively; 0 on success, else the errno that explains why not.
    virtual int open() = 0;
    // Gives up the exclusive claim; the descriptor itself stays valid until destruction,
    // so a worker thread that still holds the driver never touches a recycled number.
    virtual void release() = 0;
    // Descriptor that becomes readable when bytes arrive and writable when output fits.
    virtual int fd() const = 0;

    virtual bool setQueueSizes(int input, int output) = 0;
    virtual void purgeOutput() = 0;
    virtual void purgeInput() = 0;
    virtual LineSettings settings() = 0;
    virtual bool applySettings(const LineSettings& s) = 0;
    virtual bool applyTimeouts(const Timeouts& t) = 0;

    // Non-blocking; -1 with errno (EAGAIN when nothing fits or nothing is there).
    virtual ssize_t write(const uint8_t* data, size_t size) = 0;
    virtual ssize_t read(uint8_t* data, size_t size) = 0;
    // Blocks until the output has left the line driver (used before releasing RTS).
    virtual void drainOutput() = 0;

    virtual int inputCount() = 0;
    // Reads and clears the line-error bits (0x02 overrun, 0x04 parity, 0x08 framing).
    virtual int takeErrors() = 0;
    // Whether a break arrived since the last look; kept apart from the errors so that a
    // thread that only clears errors cannot swallow a break.
    virtual bool takeBreak() = 0;
    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
};

// The termios back end for a device path.
std::unique_ptr<PortDriver> makeTermiosDriver(const std::string& device);

}  // namespace commx
