#include "cli/interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace kvctl {
namespace {

volatile sig_atomic_t stops = 0;
int wakePipe[2] = {-1, -1};

void onStopSignal(int) {
    const int saved = errno;
    stops = stops + 1;
    const char byte = 's';
    [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void catchStopSignals() {
    if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopRequested() {
    return stops > 0;
}

int stopSignals() {
    return stops;
}

int stopFd() {
    return wakePipe[0];
}

bool pauseUnlessStopped(int ms) {
    if (stopRequested()) return false;
    // The pipe stays readable once written: a stop before the poll still ends it at once.
    pollfd p{wakePipe[0], POLLIN, 0};
    while (::poll(&p, wakePipe[0] < 0 ? 0 : 1, ms) < 0 && errno == EINTR && !stopRequested()) {
    }
    return !stopRequested();
}

void throwIfStopRequested() {
    if (stopRequested()) throw Interrupted{};
}

}  // namespace kvctl
