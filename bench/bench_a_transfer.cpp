// Times a full Transmit (write + verify) and a Receive of the real kvprog_a main window
// against the kvmodem emulator with 9600-baud line timing, and compares them with the pacing
// bound: sent bytes x 2 ms + received bytes x 1.146 ms + the fixed open/close waits.
// Also reports the process CPU time and the longest gap between two processed UI events.
//
// usage: bench_a_transfer [path/to/kvmodem] [rounds]
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <cstdio>

#include "model_a/main.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Records the longest pause between two runs of a 1 ms timer on the UI thread.
class GapMeter {
  public:
    GapMeter() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0) longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = 0;
        last_ = 0;  // the stretch before the first processed event counts too
        clock_.start();
        if (enabled) timer_.start();
    }
    bool enabled = true;
    double stopMs() {
        timer_.stop();
        return longest_ / 1e6;
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 longest_ = 0;
};

struct Figures {
    double wallMs, boundMs, cpuMs, gapMs;
    QStringList boxes;
};

constexpr double kSendMsPerByte = 2.0;
constexpr double kReceiveMsPerByte = 1.146;  // 11 bits at 9600 bit/s
constexpr double kOpenCloseMs = 100 + 100 + 100;

Figures measure(const std::function<void()>& command, int sent, int received, GapMeter& gaps) {
    QStringList boxes;
    platform::setMessageHook([&boxes](const platform::MsgRequest& r) {
        boxes << r.text;
        return platform::MsgResult::Ok;
    });
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    gaps.start();
    wall.start();
    command();
    const double wallMs = wall.nsecsElapsed() / 1e6;
    // One more pass, so a stall at the very end of the command (the closing waits) counts.
    QCoreApplication::processEvents();
    const double gapMs = gaps.stopMs();
    const double cpuMs = (cpuSeconds() - cpu0) * 1000;
    platform::setMessageHook(nullptr);
    return {wallMs, sent * kSendMsPerByte + received * kReceiveMsPerByte + kOpenCloseMs, cpuMs,
            gapMs, boxes};
}

void report(const char* name, const Figures& f) {
    std::printf(
        "%-9s wall %7.1f ms  bound %7.1f ms  ratio %.3f  cpu %6.1f ms (%.1f %%)  "
        "longest UI gap %5.1f ms  boxes: %s\n",
        name, f.wallMs, f.boundMs, f.wallMs / f.boundMs, f.cpuMs, 100 * f.cpuMs / f.wallMs, f.gapMs,
        qPrintable(f.boxes.join(" | ")));
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString modemProgram = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                          : QCoreApplication::applicationDirPath() + "/kvmodem";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    // The emulator runs as its own process so that its CPU time is not counted here.
    QProcess modem;
    modem.start(modemProgram, {"--model", "KV417R", "--line-timing"});
    if (!modem.waitForStarted(5000) || !modem.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(modemProgram));
        return 1;
    }
    const QByteArray device = modem.readLine().trimmed();
    qputenv("KVPROG_COM1", device);
    std::printf("emulator on %s, line timing 9600 8E1\n", device.constData());

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

    // Let the window finish its first layout and paint, as it has before anyone can click.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300) QCoreApplication::processEvents();

    GapMeter gaps;
    // The 1 ms timer costs CPU of its own: without it the CPU figure is the tool's alone.
    gaps.enabled = !qEnvironmentVariableIsSet("BENCH_NO_GAP_TIMER");
    // Transmit: 70 frames of 8 bytes; 69 acknowledges of 3 bytes, then 3 + 256 + 1 bytes.
    const int txSent = 70 * 8, txReceived = 69 * 3 + 3 + 256 + 1;
    // Receive: one frame; 3 + 256 + 1 bytes back.
    const int rxSent = 8, rxReceived = 3 + 256 + 1;
    for (int i = 0; i < rounds; ++i) {
        report("Transmit", measure([&] { w.TransmitPCKV1Click(); }, txSent, txReceived, gaps));
        report("Receive", measure([&] { w.ReceivePCKV1Click(); }, rxSent, rxReceived, gaps));
    }
    modem.terminate();
    modem.waitForFinished(3000);
    return 0;
}
