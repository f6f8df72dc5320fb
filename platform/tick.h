#pragma once
#include <chrono>
#include <cstdint>

namespace platform {

// Milliseconds from a monotonic clock, wrapping at 32 bits. Compare elapsed time
// (now - start, unsigned), never now > start + n.
uint32_t GetTickCount();

// Lets the UI run: paints, input, the serial component's notifications.
void processPendingEvents();

using WaitClock = std::chrono::steady_clock;
// No deadline: wait for the next event, however long it takes.
inline constexpr WaitClock::time_point kNoDeadline = WaitClock::time_point::max();

// Handles the pending events; when there are none, sleeps in the event loop until one comes
// (input, a timer, a socket notifier, a posted event) or `deadline` passes, and handles it.
// A precise timer ends the sleep, so there is no polling. Once the deadline has passed it
// only handles what is pending. Without an event loop it sleeps until the deadline.
void waitForEvents(WaitClock::time_point deadline);

// Pauses for more than n milliseconds while processing events; at least one pass of
// event processing always happens.
void WaitMs(uint32_t n);

}  // namespace platform
