// TCustomCommX, the transfer: sending through the transmit thread, reading with the time-out
// while the UI stays live, the purges and the modem-control lines.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include "serial/commximpl.h"

using commx::Raised;
using commx::sleepMs;
using commx::UiWaiting;

namespace {
constexpr int kMaxQueuedChunks = 32;
}  // namespace

// ---------------------------------------------------------------------------------------
// Sending

bool TCustomCommX::TransData(const void* Data, int Size) {
    if (Size == 0) return true;
    if (Size < 0 || Data == nullptr) return false;
    const auto* next = static_cast<const uint8_t*>(Data);
    int left = Size;
    const uint64_t session = d->session;
    while (left > 0) {
        // A handler run during the wait below may have closed (or reopened) the port.
        if (!IsOpen() || !d->trans || d->session != session) return false;
        int queued;
        {
            std::lock_guard lock(d->shared->counterLock);
            queued = d->shared->queuedChunks;
        }
        if (queued >= kMaxQueuedChunks) {
            // Until the transmit thread has finished a chunk; the count is read again after
            // the waiting count is up, so that the worker's ring cannot be missed.
            const Raised waiting(d->shared->sendersWaiting);
            std::unique_lock lock(d->shared->counterLock);
            const bool full = d->shared->queuedChunks >= kMaxQueuedChunks;
            lock.unlock();
            if (full) waitForPort(platform::kNoDeadline);
            continue;
        }
        const int chunk = std::min(left, std::max(1, d->bufLenTrans));
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[chunk]);
        if (block) {
            std::memcpy(block.get(), next, static_cast<size_t>(chunk));
            {
                std::lock_guard lock(d->shared->counterLock);
                d->shared->pendingBytes += chunk;
                ++d->shared->queuedChunks;
            }
            if (!d->trans->Post(commx::kMsgTransmit, chunk, std::move(block))) {
                // Nobody would ever lower the counts again, and PurgeTrans would wait forever.
                std::lock_guard lock(d->shared->counterLock);
                d->shared->pendingBytes -= chunk;
                --d->shared->queuedChunks;
            }
        }
        next += chunk;
        left -= chunk;
    }
    return true;
}

bool TCustomCommX::TransByte(uint8_t Byte) {
    return TransData(&Byte, 1);
}

void TCustomCommX::PurgeTrans() {
    if (!IsOpen()) return;
    commx::PortDriver& driver = *d->driver;
    if (!d->trans) {
        std::lock_guard lock(d->shared->writeLock);
        driver.purgeOutput();
        return;
    }
    UiWaiting waiting(*d->shared);
    d->trans->setPurge(true);
    for (;;) {
        {
            std::lock_guard lock(d->shared->writeLock);
            driver.purgeOutput();
        }
        sleepMs(1);
        std::lock_guard lock(d->shared->counterLock);
        if (d->shared->pendingBytes == 0) break;
    }
    d->trans->setPurge(false);
}

// ---------------------------------------------------------------------------------------
// Receiving

int TCustomCommX::ReceiveData(void* Buffer, int Size) {
    if (!IsOpen() || !d->receive || Buffer == nullptr || Size < 0) return -1;
    // One read context: a handler must not start a second read while one waits.
    if (d->reading) return -1;
    d->reading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{d->reading};

    const std::shared_ptr<commx::PortDriver> driver = d->driver;
    const uint64_t session = d->session;
    const uint64_t purges = d->receivePurges;
    // The driver takes the time-out as an unsigned count of milliseconds.
    const uint32_t limit = static_cast<uint32_t>(d->timeOutReceive);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    // Up before the first read: a byte that comes after it rings the doorbell.
    const Raised waiting(d->shared->readersWaiting);
    auto* out = static_cast<uint8_t*>(Buffer);
    int got = 0;
    for (;;) {
        if (got < Size) {
            const ssize_t n = driver->read(out + got, static_cast<size_t>(Size - got));
            if (n > 0) {
                got += static_cast<int>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                reportErrorsHere(*driver);
                return -1;
            }
        }
        if (got == Size || limit == 0) return got;
        if (std::chrono::steady_clock::now() >= deadline) return got;
        waitForPort(deadline);
        if (!IsOpen() || !d->receive || d->session != session) return -1;
        if (d->receivePurges != purges) {  // PurgeReceive aborted this read
            reportErrorsHere(*driver);
            return -1;
        }
    }
}

int TCustomCommX::ReceiveByte() {
    uint8_t byte = 0;
    return ReceiveData(&byte, 1) == 1 ? byte : -1;
}

void TCustomCommX::PurgeReceive() {
    if (!IsOpen()) return;
    d->driver->purgeInput();
    ++d->receivePurges;
}

int TCustomCommX::ReceiveCount() {
    if (!IsOpen()) return 0;
    d->driver->takeErrors();  // the status read clears the error bits without reporting them
    return d->driver->inputCount();
}

void TCustomCommX::SetRts(bool On) {
    if (IsOpen()) d->driver->setRts(On);
}

void TCustomCommX::SetDtr(bool On) {
    if (IsOpen()) d->driver->setDtr(On);
}
