// TCustomCommX on the UI thread: the hidden window that runs the workers' notifications,
// and the wait that sleeps in the event loop until the port or the user has something.
#include <poll.h>

#include <QAbstractEventDispatcher>
#include <algorithm>

#include "serial/commximpl.h"

void TCustomCommX::dispatchNotifications() {
    // Handlers may close the port or open it again; keep what this loop needs.
    const std::shared_ptr<commx::Shared> shared = d->shared;
    shared->clearDoorbell();
    while (auto note = shared->takeNote()) {
        dispatch(note->message, note->param, note->session);
        shared->noteDone(note->id);
    }
}

void TCustomCommX::dispatch(int message, int param, uint64_t session) {
    if (!IsOpen() || session != d->session) return;
    try {
        switch (message) {
            case commx::kNoteCharsArrived:
                if (OnReceive) {
                    const int count = ReceiveCount();
                    if (count != 0) OnReceive(this, count);
                }
                break;
            case commx::kNoteBreak:
                if (OnBreak) OnBreak(this);
                break;
            case commx::kNoteLineError:
                if (OnError) OnError(this, param);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        // Nothing may cross the event loop; the tools assign no handlers that throw.
        qWarning("%s", e.what());
    }
}

void TCustomCommX::reportErrorsHere(commx::PortDriver& driver) {
    // On the UI thread the hand-over is a direct call.
    const int bits = driver.takeErrors() & 0x0E;
    if (bits) dispatch(commx::kNoteLineError, bits, d->session);
}

void TCustomCommX::waitForPort(std::chrono::steady_clock::time_point deadline) {
    // The hidden window's notifier wakes the event loop when the doorbell rings.
    if (QAbstractEventDispatcher::instance()) {
        platform::waitForEvents(deadline);
        return;
    }
    // No event loop on this thread: listen for the doorbell here.
    int timeoutMs = -1;
    if (deadline != platform::kNoDeadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        timeoutMs = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 1 << 30));
    }
    pollfd p{d->shared->doorbell(), POLLIN, 0};
    ::poll(&p, 1, timeoutMs);
    dispatchNotifications();
}
