#include "rawport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kvtest {

RawPort::RawPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("open " + path + ": " + std::strerror(errno));
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    tcsetattr(fd_, TCSANOW, &t);
}

RawPort::~RawPort() {
    ::close(fd_);
}

void RawPort::write(const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw std::runtime_error(std::string("write: ") + std::strerror(errno));
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

std::vector<uint8_t> RawPort::read(std::size_t count, int quietMs) {
    std::vector<uint8_t> out;
    uint8_t buffer[512];
    while (out.size() < count) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0) break;
        const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
        if (n > 0)
            out.insert(out.end(), buffer, buffer + n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return out;
}

}  // namespace kvtest
