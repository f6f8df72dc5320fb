#pragma once
#include <cstdint>

namespace platform {

// Milliseconds from a monotonic clock, wrapping at 32 bits. Compare elapsed time
// (now - start, unsigned), never now > start + n.
uint32_t GetTickCount();

// Lets the UI run: paints, input, the serial component's notifications.
void processPendingEvents();

// Pauses for more than n milliseconds while processing events; at least one pass of
// event processing always happens.
void WaitMs(uint32_t n);

}  // namespace platform
