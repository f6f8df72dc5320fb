// Times kvctl write (write + verify, without and with its backup read) and kvctl read as
// child processes against the kvmodem emulator with 9600-baud line timing, for both models,
// against the pacing bound the window benchmarks use; also the CPU time kvctl took, as a
// share of one core. The images and traces it keeps go to a temporary folder.
//
// usage: bench_kvctl [path/to/kvmodem] [rounds]
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

struct Run {
    const char* name;
    QStringList args;
    int sent, received;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto [kvmodem, kvctl, rounds] = bench::kvctlBenchArgs(argc, argv);
    const QTemporaryDir work;
    bench::keepFilesIn(work);

    for (const bench::KvctlModel& m : bench::kKvctlModels) {
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
                const double cpu0 = bench::childrenCpuMs();
                QElapsedTimer wall;
                wall.start();
                p.start(kvctl, r.args);
                p.waitForFinished(120000);
                const double ms = wall.nsecsElapsed() / 1e6;
                const double cpu = bench::childrenCpuMs() - cpu0;
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
                        r.name, rounds, bench::median(walls[r.name]), bench::median(ratios[r.name]),
                        bench::median(cpus[r.name]));
    }
    return 0;
}
