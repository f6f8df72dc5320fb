#pragma once
// SIGINT and SIGTERM as a request to stop. The handler only notes the request and wakes
// whoever waits on stopFd(): an exchange on the line ends at its next byte (Interrupted, the
// port closed on the way out), a pause between two tries ends at once, and the parent of
// several ports passes the request on to each port's process.
namespace kvctl {

// Installs the handlers; until then no stop is ever requested.
void catchStopSignals();
bool stopRequested();
// How many stop signals arrived so far (a second Ctrl-C means: do not wait any longer).
int stopSignals();
// Readable once a stop was requested; -1 before catchStopSignals().
int stopFd();
// Sleeps up to `ms` milliseconds without using the processor; false when a stop was
// requested before or during the pause.
bool pauseUnlessStopped(int ms);

// Thrown at the next byte on the line after a stop request.
struct Interrupted {};
void throwIfStopRequested();

}  // namespace kvctl
