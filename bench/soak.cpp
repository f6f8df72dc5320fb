// The soak run of either tool: the real main window against its emulator, a long row of
// commands with faults at random. Results are written down, not asserted.
//
// usage: soak a|b [commands, default 1000] [seed, default 1] [--line-timing]
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "bench/soak_a.h"
#include "bench/soak_b.h"
#include "bench/soakdriver.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || (std::strcmp(argv[1], "a") != 0 && std::strcmp(argv[1], "b") != 0)) {
        std::fprintf(stderr, "usage: soak a|b [commands] [seed] [--line-timing]\n");
        return 2;
    }
    const bool b = argv[1][0] == 'b';
    const int commands = argc > 2 ? std::atoi(argv[2]) : 1000;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1;
    const bool lineTiming = argc > 4 && std::strcmp(argv[4], "--line-timing") == 0;
    // The tools read their small files from the current folder: a fresh one.
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    // The traces and images every command keeps stay in that folder too.
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder.filePath(QStringLiteral("state"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    const kvsoak::Figures f = b ? kvsoak::SoakRun<kvsoak::SoakB>(seed, lineTiming).run(commands)
                                : kvsoak::SoakRun<kvsoak::SoakA>(seed, lineTiming).run(commands);
    kvsoak::print(b ? "kvprog_b" : "kvprog_a", f, lineTiming);
    return 0;
}
