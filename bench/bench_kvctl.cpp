// Times kvctl write (write + verify, without and with its backup read) and kvctl read as
// child processes against the kvmodem emulator with 9600-baud line timing, for both models,
// against the pacing bound the window benchmarks use; also the CPU time kvctl took, as a
// share of one core. The images and traces it keeps go to a temporary folder.
//
// usage: bench_kvctl [path/to/kvmodem] [rounds]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/benchkit.h"

namespace {

double childCpuMs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Run {
    const char* name;
    QStringList args;
    int sent, received;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString kvmodem = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + "/kvmodem";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString kvctl = dir + "/kvctl";
    QTemporaryDir work;
    qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath(QStringLiteral("data"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(work.filePath(QStringLiteral("state"))));

    struct Model {
        const char* name;
        int writeSent, writeReceived, readSent, readReceived;
    };
    // KV417R: 70 frames of 8 bytes, 69 acknowledges of 3, then 3 + 256 + 1; a read 8 and 260.
    // KV93x: 120 frames of 15 bytes, 119 acknowledges of 1, then 1 + 256; a read 15 and 257.
    const Model models[] = {{"KV417R", 70 * 8, 69 * 3 + 3 + 256 + 1, 8, 3 + 256 + 1},
                            {"KV935R", 120 * 15, 119 + 1 + 256, 15, 1 + 256}};
    for (const Model& m : models) {
        const bench::Emulator modem(kvmodem, m.name);
        if (!modem.ok()) return 1;
        const QString file = work.filePath(QStringLiteral("%1.dat").arg(m.name));
        // A file that passes the write's checks: what the demo modem holds.
        QProcess read;
        read.start(kvctl, {"read", "--model", m.name, "--port", "1", "-o", file});
        read.waitForFinished(60000);
        // The write as it was before it kept a backup, then as it runs by default: a whole
        // read first, whose frame and reply the bound counts too.
        const std::vector<Run> runs = {
            {"write+verify",
             {"write", "--model", m.name, "--port", "1", "--no-backup", file},
             m.writeSent,
             m.writeReceived},
            {"backup+write",
             {"write", "--model", m.name, "--port", "1", file},
             m.writeSent + m.readSent,
             m.writeReceived + m.readReceived},
            {"read",
             {"read", "--model", m.name, "--port", "1", "-o", file + ".read"},
             m.readSent,
             m.readReceived},
        };
        std::map<std::string, std::vector<double>> walls, ratios, cpus;
        for (int round = 1; round <= rounds; ++round) {
            for (const Run& r : runs) {
                QProcess p;
                const double cpu0 = childCpuMs();
                QElapsedTimer wall;
                wall.start();
                p.start(kvctl, r.args);
                p.waitForFinished(120000);
                const double ms = wall.nsecsElapsed() / 1e6;
                const double cpu = childCpuMs() - cpu0;
                const double bound = bench::pacingBoundMs({r.name, {}, r.sent, r.received});
                std::printf(
                    "%s %-12s exit %d  wall %7.1f ms  bound %7.1f ms  ratio %.3f  cpu %6.1f ms "
                    "(%.2f %% of a core)\n",
                    m.name, r.name, p.exitCode(), ms, bound, ms / bound, cpu, 100 * cpu / ms);
                walls[r.name].push_back(ms);
                ratios[r.name].push_back(ms / bound);
                cpus[r.name].push_back(100 * cpu / ms);
            }
        }
        for (const Run& r : runs)
            std::printf("%s %-12s median of %d: wall %7.1f ms  ratio %.3f  cpu %.2f %%\n", m.name,
                        r.name, rounds, median(walls[r.name]), median(ratios[r.name]),
                        median(cpus[r.name]));
    }
    return 0;
}
