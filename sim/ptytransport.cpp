#include "sim/ptytransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kvsim {

namespace {
// 9600 bit/s, 11 bits a byte (start, 8 data, parity, stop).
constexpr int64_t kByteMicros = 1146;
// How long the serving thread waits for input before it looks at the stop flag again.
constexpr int kPollMs = 20;

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) throw systemError("tcgetattr on the pty slave");
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(fd, TCSANOW, &t) != 0) throw systemError("tcsetattr on the pty slave");
}
}  // namespace

PtyTransport::PtyTransport(std::unique_ptr<ModemMachine> machine, Options options)
    : machine_(std::move(machine)), options_(options) {
    if (!machine_) throw std::invalid_argument("PtyTransport needs a modem");
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) throw systemError("posix_openpt");
    try {
        if (grantpt(master_) != 0) throw systemError("grantpt");
        if (unlockpt(master_) != 0) throw systemError("unlockpt");
        std::array<char, 128> name{};
        if (ptsname_r(master_, name.data(), name.size()) != 0) throw systemError("ptsname");
        device_ = name.data();
        slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) throw systemError("open " + device_);
        // Without raw mode the line discipline would echo the tool's bytes back to it
        // before the tool gets to set its own line settings.
        makeRaw(slave_);
        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
            throw systemError("fcntl on the pty master");
    } catch (...) {
        if (slave_ >= 0) ::close(slave_);
        ::close(master_);
        throw;
    }
    thread_ = std::thread([this] { serve(); });
}

PtyTransport::~PtyTransport() {
    stop();
    removeLink();
    ::close(slave_);
    ::close(master_);
}

void PtyTransport::stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PtyTransport::placeLink(const std::string& linkPath) {
    removeLink();
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            throw std::runtime_error(linkPath + " exists and is not a symbolic link");
        if (::unlink(linkPath.c_str()) != 0) throw systemError("cannot remove " + linkPath);
    }
    if (::symlink(device_.c_str(), linkPath.c_str()) != 0)
        throw systemError("cannot create " + linkPath);
    link_ = linkPath;
}

void PtyTransport::removeLink() {
    if (link_.empty()) return;
    // Only our own link: another emulator may have taken the name meanwhile.
    std::array<char, 256> target{};
    const ssize_t n = ::readlink(link_.c_str(), target.data(), target.size() - 1);
    if (n > 0 && std::string(target.data(), static_cast<std::size_t>(n)) == device_)
        ::unlink(link_.c_str());
    link_.clear();
}

void PtyTransport::serve() {
    std::array<uint8_t, 512> buffer{};
    while (!stopping()) {
        // A tool that sets TIOCEXCL and closes the port would otherwise lock itself out: the
        // flag lives as long as the tty stays open, and our slave descriptor keeps it open.
        // The tool's own flock still keeps a second program away while it has the port.
        ::ioctl(slave_, TIOCNXCL);

        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, kPollMs);
        if (r < 0 && errno != EINTR) break;
        if (r <= 0) continue;
        if (!(p.revents & POLLIN)) {
            // Hang-up or error without data: wait instead of spinning on it.
            pause(kPollMs * 1000);
            continue;
        }
        const ssize_t n = ::read(master_, buffer.data(), buffer.size());
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR) pause(kPollMs * 1000);
            continue;
        }
        received_ += static_cast<uint64_t>(n);
        for (ssize_t i = 0; i < n && !stopping(); ++i) handle(buffer[static_cast<std::size_t>(i)]);
    }
}

void PtyTransport::handle(uint8_t byte) {
    std::vector<uint8_t> reply;
    int delayMs = 0;
    {
        std::lock_guard lock(machineMutex_);
        reply = machine_->onByte(byte);
        delayMs = machine_->replyDelayMs();
    }
    if (reply.empty()) return;
    if (delayMs > 0 && !pause(int64_t{delayMs} * 1000)) return;
    send(reply);
}

void PtyTransport::send(const std::vector<uint8_t>& reply) {
    if (!options_.lineTiming) {
        writeAll(reply.data(), reply.size());
        return;
    }
    // Each byte leaves when a real line would have finished shifting it out; the schedule
    // is absolute so that sleep overshoot does not add up over a 260-byte block.
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < reply.size(); ++i) {
        const auto due =
            start + std::chrono::microseconds(kByteMicros * static_cast<int64_t>(i + 1));
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
            due - std::chrono::steady_clock::now());
        if (wait.count() > 0 && !pause(wait.count())) return;
        if (!writeAll(&reply[i], 1)) return;
    }
}

bool PtyTransport::writeAll(const uint8_t* data, std::size_t size) {
    while (size > 0) {
        if (stopping()) return false;
        const ssize_t n = ::write(master_, data, size);
        if (n > 0) {
            sent_ += static_cast<uint64_t>(n);
            lastSent_ = std::chrono::steady_clock::now().time_since_epoch().count();
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        // The slave's input queue is full (nobody reads it): wait for room.
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, kPollMs);
    }
    return true;
}

bool PtyTransport::pause(int64_t micros) {
    std::unique_lock lock(stopMutex_);
    return !stopSignal_.wait_for(lock, std::chrono::microseconds(micros),
                                 [this] { return stopping_.load(); });
}

}  // namespace kvsim
