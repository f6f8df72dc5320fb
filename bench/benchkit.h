#pragma once
// What the transfer benchmarks of both tools share: the emulator as a separate process (so
// its CPU time is not counted), the phases of a transfer timed against the pacing bound,
// the process CPU time with and without the 1 ms gap-meter timer, one 1000 ms ReceiveByte
// with nothing arriving, and the idle window. Figures are printed, never judged.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

class TCustomCommX;

namespace bench {

// Process CPU time (user + system, every thread) in milliseconds.
double cpuMs();

// The kvmodem program on a pseudo-terminal with 9600-baud line timing; "COM<portNo>" names
// it while the object lives.
class Emulator {
  public:
    Emulator(const QString& program, const QString& model, int portNo = 1);
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;
    bool ok() const { return !device_.isEmpty(); }
    const QByteArray& device() const { return device_; }

  private:
    QProcess process_;
    QByteArray device_;
};

// One command of a tool, and the bytes it moves on the line.
struct Phase {
    const char* name;
    std::function<void()> run;
    int sent;
    int received;
};

// kvctl's write (with its read-back) and read of each model family, and the bytes each
// moves on the line.
struct KvctlModel {
    const char* name;
    int writeSent, writeReceived, readSent, readReceived;
};
// KV417R: 70 frames of 8 bytes, 69 acknowledges of 3, then 3 + 256 + 1; a read 8 and 260.
// KV93x: 120 frames of 15 bytes, 119 acknowledges of 1, then 1 + 256; a read 15 and 257.
inline constexpr KvctlModel kKvctlModels[] = {
    {"KV417R", 70 * 8, 69 * 3 + 3 + 256 + 1, 8, 3 + 256 + 1},
    {"KV935R", 120 * 15, 119 + 1 + 256, 15, 1 + 256}};

// The command line of the kvctl benchmarks: [kvmodem path] [rounds], kvmodem and kvctl
// beside the benchmark by default.
struct KvctlBenchArgs {
    QString kvmodem, kvctl;
    int rounds = 3;
};
KvctlBenchArgs kvctlBenchArgs(int argc, char** argv);

double median(std::vector<double> values);

// Points the trace and backup folders of every command started from here into `dir`, so a
// benchmark keeps them as in use, but not in the home.
void keepFilesIn(const QTemporaryDir& dir);

// CPU time (user + system) of the children this process has waited for, their own waited-for
// children included, in milliseconds.
double childrenCpuMs();

// The pacing bound of a phase: every sent byte is followed by a pause of 2 ms, every
// received byte takes 11 bits at 9600 bit/s, and Open and Close wait 100 + 2 x 100 ms.
double pacingBoundMs(const Phase& phase);

struct Options {
    int rounds = 3;
    int idleMs = 10000;
};

// Lets a window just shown finish its first layout and paint, as it has before anyone can
// click.
void settle(int ms = 300);

// Runs every round: the phases without the gap meter (wall, ratio to the bound, CPU), the
// phases again with it (longest UI gap), one 1000 ms ReceiveByte on `comm` with nothing
// arriving, and the idle window; then the spread (median, min, max) of each figure.
void run(const std::vector<Phase>& phases, TCustomCommX& comm, const Options& options);

// The program of a tool's benchmark: the application (offscreen unless a platform is set),
// the command line [kvmodem path] [rounds] [idle ms] (the path defaults to kvmodem beside the
// benchmark), the emulator of `model` as COM1, then `body`. Returns main's exit code.
int runBenchmark(int argc, char** argv, const QString& model,
                 const std::function<void(const Options&)>& body);

}  // namespace bench
