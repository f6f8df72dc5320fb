// Times a full Transmit (write + verify) and a Receive of the real kvprog_b main window
// against the kvmodem KV935R emulator with 9600-baud line timing, and compares them with the
// pacing bound. Also reports the process CPU time, the longest gap between two processed UI
// events, one 1000 ms ReceiveByte with nothing arriving, and the idle window.
//
// usage: bench_b_transfer [path/to/kvmodem] [rounds] [idle ms]
#include <cstdio>

#include "bench/benchkit.h"
#include "model_b/main.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace {

void measure(const bench::Options& options) {
    kvb::TMainForm w;
    w.show();
    bench::settle();
    // The emulator's demo channels and set-mode values make a table that Transmit accepts.
    // A box here means the modem did not answer: shown, never waited on.
    platform::setMessageHook([](const platform::MsgRequest& r) {
        std::fprintf(stderr, "setup Receive: %s\n", qPrintable(r.text));
        return platform::MsgResult::Ok;
    });
    w.ReceivePCKV1Click();
    platform::setMessageHook(nullptr);
    bench::settle();

    // Transmit: 119 Write Word frames and one Read Range frame of 15 bytes; 120 acknowledges
    // and 256 data bytes back. Receive: one frame; the acknowledge and 256 data bytes back.
    const std::vector<bench::Phase> phases = {
        {"Transmit", [&] { w.TransmitPCKV1Click(); }, 120 * 15, 120 + 256},
        {"Receive", [&] { w.ReceivePCKV1Click(); }, 15, 1 + 256},
    };
    bench::run(phases, *w.CommX1, options);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmark(argc, argv, "KV935R", measure);
}
