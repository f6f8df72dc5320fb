// kvctl write (write + verify) on 1, 2, 4, 8 and 16 ports at once, against one kvmodem
// process serving that many modems with 9600-baud line timing, for both models. Per run:
// the wall time, its ratio to one modem's pacing bound and to the run on one port, the CPU
// of kvctl and its port processes in % of one core, and the peak resident memory of the
// parent, of its largest port process and of all of them together. The load average stands
// beside the figures: the machine may be busy with other work.
//
// usage: bench_multiport [path/to/kvmodem] [rounds]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "bench/benchkit.h"

namespace {

const int kPortCounts[] = {1, 2, 4, 8, 16};

QByteArray loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly)) return "?";
    return f.readAll().split(' ').mid(0, 3).join(' ');
}

// VmHWM, the peak resident memory of a process, in kB; 0 when it is gone.
long peakKb(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toLong();
    return 0;
}

QList<qint64> childrenOf(qint64 parent) {
    QList<qint64> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!isPid || !stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == parent) found << pid;
    }
    return found;
}

// kvmodem serving `count` modems; their devices.
class Modems {
  public:
    Modems(const QString& program, const char* model, int count) {
        process_.start(program,
                       {"--model", model, "--count", QString::number(count), "--line-timing"});
        while (devices_.size() < count && process_.waitForReadyRead(5000))
            while (process_.canReadLine())
                devices_ << QString::fromUtf8(process_.readLine().trimmed());
    }
    ~Modems() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    const QStringList& devices() const { return devices_; }

  private:
    QProcess process_;
    QStringList devices_;
};

struct Run {
    double wallMs = 0, cpuMs = 0;
    long parentKb = 0, largestChildKb = 0, allKb = 0;
    int exitCode = -1;
};

Run runOnce(const QString& kvctl, const QStringList& arguments) {
    Run r;
    QProcess p;
    std::map<qint64, long> peaks;  // of the port processes
    const double cpu0 = bench::childrenCpuMs();
    QElapsedTimer wall;
    wall.start();
    p.start(kvctl, arguments);
    p.waitForStarted(10000);
    const qint64 pid = p.processId();
    // The peaks only grow; the last look before a process ends is within 50 ms of its end.
    while (!p.waitForFinished(50)) {
        r.parentKb = std::max(r.parentKb, peakKb(pid));
        for (const qint64 child : childrenOf(pid))
            peaks[child] = std::max(peaks[child], peakKb(child));
        if (wall.elapsed() > 120000) {
            p.kill();
            p.waitForFinished();
            break;
        }
    }
    r.wallMs = wall.nsecsElapsed() / 1e6;
    r.cpuMs = bench::childrenCpuMs() - cpu0;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.allKb = r.parentKb;
    for (const auto& [child, kb] : peaks) {
        r.largestChildKb = std::max(r.largestChildKb, kb);
        r.allKb += kb;
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto [kvmodem, kvctl, rounds] = bench::kvctlBenchArgs(argc, argv);
    const QTemporaryDir work;
    bench::keepFilesIn(work);  // the images and traces of every unit
    std::printf("machine: %d cores; figures are medians of %d rounds\n",
                QThread::idealThreadCount(), rounds);

    for (const bench::KvctlModel& m : bench::kKvctlModels) {
        const double bound = bench::pacingBoundMs({m.name, {}, m.writeSent, m.writeReceived});
        // A file that passes the write's checks: what the demo modem holds.
        const QString file = work.filePath(QStringLiteral("%1.dat").arg(m.name));
        {
            const Modems one(kvmodem, m.name, 1);
            QProcess read;
            read.start(kvctl,
                       {"read", "--model", m.name, "--port", one.devices().value(0), "-o", file});
            if (!read.waitForFinished(60000) || read.exitCode() != 0) {
                std::fprintf(stderr, "cannot read the demo modem of %s\n", m.name);
                return 1;
            }
        }
        std::printf("\n%s write + verify, pacing bound of one modem %.0f ms\n", m.name, bound);
        std::printf("%5s %9s %8s %9s %9s %10s %11s %11s %11s  %s\n", "ports", "wall ms", "/bound",
                    "/wall(1)", "cpu %", "cpu ms", "parent kB", "child kB", "all kB",
                    "load average before, after");
        double wallOfOne = 0;
        for (const int n : kPortCounts) {
            const Modems modems(kvmodem, m.name, n);
            if (modems.devices().size() != n) {
                std::fprintf(stderr, "kvmodem gave %lld of %d modems\n",
                             static_cast<long long>(modems.devices().size()), n);
                return 1;
            }
            QStringList args{"write", "--model", m.name, file};
            for (const QString& d : modems.devices()) args << "--port" << d;
            const QByteArray before = loadAverage();
            std::vector<double> wall, cpu, cpuMs, parent, child, all;
            for (int round = 0; round < rounds; ++round) {
                const Run r = runOnce(kvctl, args);
                if (r.exitCode != 0)
                    std::fprintf(stderr, "  round %d: exit %d\n", round + 1, r.exitCode);
                wall.push_back(r.wallMs);
                cpu.push_back(100 * r.cpuMs / r.wallMs);
                cpuMs.push_back(r.cpuMs);
                parent.push_back(r.parentKb);
                child.push_back(r.largestChildKb);
                all.push_back(r.allKb);
            }
            const double w = bench::median(wall);
            if (n == 1) wallOfOne = w;
            std::printf("%5d %9.0f %8.3f %9.3f %9.2f %10.0f %11.0f %11.0f %11.0f  %s, %s\n", n, w,
                        w / bound, w / wallOfOne, bench::median(cpu), bench::median(cpuMs),
                        bench::median(parent), bench::median(child), bench::median(all),
                        before.constData(), loadAverage().constData());
            std::fflush(stdout);
        }
    }
    return 0;
}
