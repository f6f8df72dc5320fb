#pragma once
// The service windows' fixture for the KV417R: its emulator on COM3, a port component set up
// like the main window's CommX1, and the message recorder.
#include "modemport.h"
#include "sim/kv417r.h"

namespace kvtest {

using ModemWindowTest = ModemPortTest<kvsim::Kv417r>;

}  // namespace kvtest
