#include "serial/posixport.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

namespace commx {

namespace {

struct SpeedEntry {
    uint32_t rate;
    speed_t code;
};

constexpr std::array<SpeedEntry, 30> kSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

}  // namespace

bool speedConstant(uint32_t bitRate, speed_t& out) {
    for (const auto& e : kSpeeds) {
        if (e.rate == bitRate) {
            out = e.code;
            return true;
        }
    }
    return false;
}

uint32_t bitRateOf(speed_t speed) {
    for (const auto& e : kSpeeds)
        if (e.code == speed) return e.rate;
    return 0;
}

bool termiosFor(const LineSettings& s, termios& t) {
    speed_t speed{};
    if (!speedConstant(s.baudRate, speed)) return false;
    if (s.byteSize < 5 || s.byteSize > 8) return false;
    if (s.parity > 2) return false;
    if (s.stopBits != 0 && s.stopBits != 2) return false;  // 1.5 stop bits do not exist here
    if (s.flags & flag::outxDsrFlow) return false;
    if ((s.flags & flag::dtrMask) == flag::dtrHandshake) return false;
    if ((s.flags & flag::rtsMask) == flag::rtsToggle) return false;

    // Raw mode: bytes pass untouched, reads return at once (the component times them).
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | IUCLC | IMAXBEL | INPCK | IGNPAR);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[s.byteSize - 5];
    if (s.parity != 0) {
        t.c_cflag |= PARENB;
        if (s.parity == 1) t.c_cflag |= PARODD;
        if (s.flags & flag::parity) t.c_iflag |= INPCK;
    }
    if (s.stopBits == 2) t.c_cflag |= CSTOPB;
    if (s.flags & flag::outxCtsFlow) t.c_cflag |= CRTSCTS;
    if (s.flags & flag::outX) t.c_iflag |= IXON;
    if (s.flags & flag::inX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    return true;
}

TermiosDriver::TermiosDriver(std::string device) : device_(std::move(device)) {}

TermiosDriver::~TermiosDriver() {
    if (fd_ < 0) return;
    release();
    ::close(fd_);
}

int TermiosDriver::open() {
    if (device_.empty()) return ENOENT;
    const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    if (!::isatty(fd)) {
        ::close(fd);
        return ENOTTY;
    }
    // flock holds for root too, unlike TIOCEXCL.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return err;
    }
    ::ioctl(fd, TIOCEXCL);  // ENOTTY/EINVAL: the driver has no exclusive mode; flock suffices
    // USB adapters otherwise hold short replies back for up to 16 ms.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
    fd_ = fd;
    Counts c;
    std::lock_guard lock(countMutex_);
    countsSupported_ = readCounts(c);
    if (countsSupported_) last_ = c;
    return 0;
}

void TermiosDriver::release() {
    if (fd_ < 0 || released_.exchange(true)) return;
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
}

bool TermiosDriver::setQueueSizes(int input, int output) {
    // The kernel sizes its own queues; only nonsense sizes are refused.
    return input > 0 && output > 0;
}

void TermiosDriver::purgeOutput() {
    ::tcflush(fd_, TCOFLUSH);
}
void TermiosDriver::purgeInput() {
    ::tcflush(fd_, TCIFLUSH);
}

LineSettings TermiosDriver::settings() {
    std::lock_guard lock(stateMutex_);
    LineSettings s = extra_;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return s;
    s.baudRate = bitRateOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            s.byteSize = 5;
            break;
        case CS6:
            s.byteSize = 6;
            break;
        case CS7:
            s.byteSize = 7;
            break;
        default:
            s.byteSize = 8;
            break;
    }
    s.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 1 : 2) : 0;
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    s.flags = flag::binary | flag::dtrEnable;
    if (t.c_iflag & INPCK) s.flags |= flag::parity;
    if (t.c_cflag & CRTSCTS)
        s.flags |= flag::outxCtsFlow | flag::rtsHandshake;
    else
        s.flags |= flag::rtsEnable;
    if (t.c_iflag & IXON) s.flags |= flag::outX;
    if (t.c_iflag & IXOFF) s.flags |= flag::inX;
    s.xonChar = static_cast<char>(t.c_cc[VSTART]);
    s.xoffChar = static_cast<char>(t.c_cc[VSTOP]);
    s.eofChar = static_cast<char>(t.c_cc[VEOF]);
    return s;
}

bool TermiosDriver::applySettings(const LineSettings& s) {
    std::lock_guard lock(stateMutex_);
    termios before{};
    if (::tcgetattr(fd_, &before) != 0) return false;
    termios want = before;
    if (!termiosFor(s, want)) return false;
    // tcsetattr reports EINVAL when none of the changes took, which is what a
    // pseudo-terminal does with a parity change alone: judge by reading back instead.
    if (::tcsetattr(fd_, TCSANOW, &want) != 0 && errno != EINVAL) return false;
    // A pseudo-terminal clears PARENB and forces CS8 on its own: those differences are
    // not a refusal.
    termios got{};
    if (::tcgetattr(fd_, &got) != 0) return false;
    constexpr tcflag_t cflagChecked = CSTOPB | CRTSCTS;
    constexpr tcflag_t iflagChecked = IXON | IXOFF;
    const bool same = cfgetospeed(&got) == cfgetospeed(&want) &&
                      cfgetispeed(&got) == cfgetispeed(&want) &&
                      (got.c_cflag & cflagChecked) == (want.c_cflag & cflagChecked) &&
                      (got.c_iflag & iflagChecked) == (want.c_iflag & iflagChecked);
    if (!same) {
        ::tcsetattr(fd_, TCSANOW, &before);  // the previous setting stays in force
        return false;
    }
    extra_.xonLim = s.xonLim;
    extra_.xoffLim = s.xoffLim;
    extra_.errorChar = s.errorChar;
    extra_.evtChar = s.evtChar;
    applyModemLines(s.flags);
    return true;
}

void TermiosDriver::applyModemLines(uint32_t flags) {
    if ((flags & flag::dtrMask) == flag::dtrEnable) setDtr(true);
    if ((flags & flag::dtrMask) == 0) setDtr(false);
    switch (flags & flag::rtsMask) {
        case flag::rtsEnable:
        case flag::rtsHandshake:
            setRts(true);
            break;
        case 0:
            setRts(false);
            break;
        default:
            break;
    }
}

bool TermiosDriver::applyTimeouts(const Timeouts&) {
    // Reads and writes are non-blocking; the component itself keeps the time limits.
    return true;
}

ssize_t TermiosDriver::write(const uint8_t* data, size_t size) {
    ssize_t n;
    do n = ::write(fd_, data, size);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t TermiosDriver::read(uint8_t* data, size_t size) {
    ssize_t n;
    do n = ::read(fd_, data, size);
    while (n < 0 && errno == EINTR);
    // VMIN=0 makes an empty queue read as 0; callers expect EAGAIN for "nothing yet".
    if (n == 0 && size > 0) {
        errno = EAGAIN;
        return -1;
    }
    return n;
}

void TermiosDriver::drainOutput() {
    while (::tcdrain(fd_) != 0 && errno == EINTR) {
    }
}

int TermiosDriver::inputCount() {
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return 0;
    return n;
}

bool TermiosDriver::readCounts(Counts& c) {
    serial_icounter_struct ic{};
    if (::ioctl(fd_, TIOCGICOUNT, &ic) != 0) return false;
    c.frame = ic.frame;
    c.parity = ic.parity;
    c.overrun = ic.overrun + ic.buf_overrun;
    c.brk = ic.brk;
    return true;
}

int TermiosDriver::takeErrors() {
    std::lock_guard lock(countMutex_);
    Counts c;
    if (!countsSupported_ || !readCounts(c)) return 0;
    int bits = 0;
    if (c.overrun != last_.overrun) bits |= 0x02;
    if (c.parity != last_.parity) bits |= 0x04;
    if (c.frame != last_.frame) bits |= 0x08;
    last_.overrun = c.overrun;
    last_.parity = c.parity;
    last_.frame = c.frame;
    return bits;
}

bool TermiosDriver::takeBreak() {
    std::lock_guard lock(countMutex_);
    Counts c;
    if (!countsSupported_ || !readCounts(c)) return false;
    const bool seen = c.brk != last_.brk;
    last_.brk = c.brk;
    return seen;
}

void TermiosDriver::setModemLine(int bit, bool on) {
    // A pseudo-terminal has no modem lines (ENOTTY); that is not an error.
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
}

void TermiosDriver::setRts(bool on) {
    setModemLine(TIOCM_RTS, on);
}
void TermiosDriver::setDtr(bool on) {
    setModemLine(TIOCM_DTR, on);
}

std::unique_ptr<PortDriver> makeTermiosDriver(const std::string& device) {
    return std::make_unique<TermiosDriver>(device);
}

}  // namespace commx
