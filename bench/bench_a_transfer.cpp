// Times a full Transmit (write + verify) and a Receive of the real kvprog_a main window
// against the kvmodem emulator with 9600-baud line timing, and compares them with the pacing
// bound. Also reports the process CPU time, the longest gap between two processed UI events,
// one 1000 ms ReceiveByte with nothing arriving, and the idle window.
//
// usage: bench_a_transfer [path/to/kvmodem] [rounds] [idle ms]
#include <QComboBox>
#include <QLineEdit>

#include "bench/benchkit.h"
#include "model_a/main.h"
#include "serial/CommX.h"

namespace {

void measure(const bench::Options& options) {
    kva::TMainForm w;
    w.show();
    for (int ch = 1; ch <= 16; ++ch) {
        w.CurrentCh = ch;
        w.E_RxFrq->setText(QString::number(223.0125 + ch * 0.5, 'f', 4));
        w.E_TxFrq->setText(QString::number(224.5 + ch * 0.5, 'f', 4));
        for (QComboBox* cb : {w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR, w.CB_SQL})
            cb->setCurrentIndex(1);
        w.B_SetClick();
    }
    bench::settle();

    // Transmit: 70 frames of 8 bytes; 69 acknowledges of 3 bytes, then 3 + 256 + 1 bytes.
    // Receive: one frame; 3 + 256 + 1 bytes back.
    const std::vector<bench::Phase> phases = {
        {"Transmit", [&] { w.TransmitPCKV1Click(); }, 70 * 8, 69 * 3 + 3 + 256 + 1},
        {"Receive", [&] { w.ReceivePCKV1Click(); }, 8, 3 + 256 + 1},
    };
    bench::run(phases, *w.CommX1, options);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmark(argc, argv, "KV417R", measure);
}
