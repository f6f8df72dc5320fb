#pragma once
// The production station: `kvctl write --station --log FILE` programs one unit after another
// on every port until SIGINT or SIGTERM.
//
// Each port on its own: wait for a modem (a Read of its memory that succeeds, tried again
// half a second after each one that fails), write and verify it as `kvctl write` does, report
// the unit, then wait until it is removed (two Reads in a row that fail) before waiting for
// the next one, so that no unit is programmed twice. Every unit becomes one JSON line of
// the log, appended and flushed at once; a unit counts as done only when its verify passed.
// A stop ends each port's exchange at its next byte: a unit cut short is logged as
// interrupted, never as done.
#include "cli/options.h"

namespace kvctl {

// The parent: checks the file, opens the log, runs a worker per port, logs their units and
// prints the summary. Returns the exit code: 0 after a stop between units, Interrupted when
// the stop cut a unit short, else the most serious reason a port's loop ended early or the
// log could not be written.
int runStation(const Options& options);

// A worker's loop on its one port; each unit's report is one JSON line on stdout.
int stationWorker(const Options& options);

}  // namespace kvctl
