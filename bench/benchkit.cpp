#include "bench/benchkit.h"

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/msgbox.h"
#include "platform/tick.h"
#include "serial/CommX.h"

namespace bench {

namespace {

constexpr double kSendMsPerByte = 2.0;
constexpr double kReceiveMsPerByte = 1.146;  // 11 bits at 9600 bit/s
constexpr double kOpenCloseMs = 100 + 100 + 100;

// Records the longest pause between two runs of a 1 ms timer on the UI thread. The timer
// wakes the event loop every millisecond, so CPU is never measured while it runs.
class GapMeter {
  public:
    GapMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = 0;
        last_ = 0;  // the stretch before the first processed event counts too
        clock_.start();
        timer_.start();
    }
    double stopMs() {
        timer_.stop();
        return longest_ / 1e6;
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

// CPU time of the calling thread alone, in milliseconds.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Figures {
    double wallMs = 0, cpuMs = 0, uiCpuMs = 0, gapMs = 0;
    QStringList boxes;
};

Figures measure(const std::function<void()>& command, GapMeter* gaps) {
    Figures f;
    platform::setMessageHook([&f](const platform::MsgRequest& r) {
        f.boxes << r.text;
        return platform::MsgResult::Ok;
    });
    const double cpu0 = cpuMs();
    const double ui0 = threadCpuMs();
    QElapsedTimer wall;
    if (gaps) gaps->start();
    wall.start();
    command();
    f.wallMs = wall.nsecsElapsed() / 1e6;
    f.cpuMs = cpuMs() - cpu0;
    f.uiCpuMs = threadCpuMs() - ui0;
    if (gaps) {
        // One more pass, so a stall at the very end of the command (the closing waits) counts.
        QCoreApplication::processEvents();
        f.gapMs = gaps->stopMs();
    }
    platform::setMessageHook(nullptr);
    return f;
}

// Figures of one name across the rounds.
class Spread {
  public:
    void add(const std::string& key, double value) { values_[key].push_back(value); }
    void print(const std::string& key, const char* unit) {
        std::vector<double>& v = values_[key];
        if (v.empty()) return;
        std::sort(v.begin(), v.end());
        std::printf("  %-28s median %8.3f %-3s  min %8.3f  max %8.3f  (%zu rounds)\n", key.c_str(),
                    v[v.size() / 2], unit, v.front(), v.back(), v.size());
    }

  private:
    std::map<std::string, std::vector<double>> values_;
};

void receiveByteRound(TCustomCommX& comm, Spread& spread) {
    comm.Open();
    comm.setTimeOutReceive(1000);
    const double cpu0 = cpuMs();
    QElapsedTimer wall;
    wall.start();
    const int byte = comm.ReceiveByte();
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    comm.setTimeOutReceive(0);
    comm.Close();
    std::printf("ReceiveByte(1000 ms, nothing arriving): %d after %7.1f ms  cpu %5.2f ms\n", byte,
                wallMs, cpu);
    spread.add("ReceiveByte return ms", wallMs);
    spread.add("ReceiveByte cpu ms", cpu);
}

void idleRound(int idleMs, Spread& spread) {
    QEventLoop loop;
    QTimer::singleShot(idleMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double cpu0 = cpuMs();
    QElapsedTimer wall;
    wall.start();
    loop.exec();
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    std::printf("Idle window %5.1f s: cpu %6.2f ms (%.3f %%)\n", wallMs / 1000, cpu,
                100 * cpu / wallMs);
    spread.add("Idle cpu %", 100 * cpu / wallMs);
}

}  // namespace

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

Emulator::Emulator(const QString& program, const QString& model, int portNo) {
    process_.start(program, {"--model", model, "--line-timing"});
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return;
    }
    device_ = process_.readLine().trimmed();
    qputenv(("KVPROG_COM" + std::to_string(portNo)).c_str(), device_);
    std::printf("emulator %s on %s, line timing 9600 8E1\n", qPrintable(model),
                device_.constData());
}

Emulator::~Emulator() {
    process_.terminate();
    process_.waitForFinished(3000);
}

void settle(int ms) {
    platform::WaitMs(static_cast<uint32_t>(ms));
}

KvctlBenchArgs kvctlBenchArgs(int argc, char** argv) {
    KvctlBenchArgs a;
    const QString dir = QCoreApplication::applicationDirPath();
    a.kvmodem = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + "/kvmodem";
    a.rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    a.kvctl = dir + "/kvctl";
    return a;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double childrenCpuMs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void keepFilesIn(const QTemporaryDir& dir) {
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
}

double pacingBoundMs(const Phase& phase) {
    return phase.sent * kSendMsPerByte + phase.received * kReceiveMsPerByte + kOpenCloseMs;
}

void run(const std::vector<Phase>& phases, TCustomCommX& comm, const Options& options) {
    Spread spread;
    GapMeter gaps;
    for (int round = 1; round <= options.rounds; ++round) {
        std::printf("-- round %d\n", round);
        for (const Phase& p : phases) {
            const Figures f = measure(p.run, nullptr);
            const double bound = pacingBoundMs(p);
            std::printf(
                "%-9s wall %7.1f ms  bound %7.1f ms  ratio %.3f  cpu %6.1f ms (%.2f %%), "
                "UI thread %5.1f ms  boxes: %s\n",
                p.name, f.wallMs, bound, f.wallMs / bound, f.cpuMs, 100 * f.cpuMs / f.wallMs,
                f.uiCpuMs, qPrintable(f.boxes.join(" | ")));
            const std::string name = p.name;
            spread.add(name + " wall ms", f.wallMs);
            spread.add(name + " ratio", f.wallMs / bound);
            spread.add(name + " cpu %", 100 * f.cpuMs / f.wallMs);
        }
        for (const Phase& p : phases) {
            const Figures f = measure(p.run, &gaps);
            std::printf("%-9s with the 1 ms gap meter: wall %7.1f ms  longest UI gap %5.2f ms\n",
                        p.name, f.wallMs, f.gapMs);
            spread.add(std::string(p.name) + " longest gap ms", f.gapMs);
        }
        receiveByteRound(comm, spread);
        if (options.idleMs > 0) idleRound(options.idleMs, spread);
    }
    std::printf("-- spread over %d rounds\n", options.rounds);
    for (const Phase& p : phases) {
        const std::string name = p.name;
        std::printf("  %-28s %8.1f ms\n", (name + " pacing bound").c_str(), pacingBoundMs(p));
        spread.print(name + " wall ms", "ms");
        spread.print(name + " ratio", "");
        spread.print(name + " cpu %", "%");
        spread.print(name + " longest gap ms", "ms");
    }
    spread.print("ReceiveByte return ms", "ms");
    spread.print("ReceiveByte cpu ms", "ms");
    spread.print("Idle cpu %", "%");
}

int runBenchmark(int argc, char** argv, const QString& model,
                 const std::function<void(const Options&)>& body) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QTemporaryDir kept;
    keepFilesIn(kept);
    const QString modemProgram = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                          : QCoreApplication::applicationDirPath() + "/kvmodem";
    Options options;
    if (argc > 2) options.rounds = std::max(1, std::atoi(argv[2]));
    if (argc > 3) options.idleMs = std::max(0, std::atoi(argv[3]));
    const Emulator modem(modemProgram, model);
    if (!modem.ok()) return 1;
    body(options);
    return 0;
}

}  // namespace bench
