// kvctl on several ports at once against emulated modems on COM1..COMn: each port's result,
// the exit code of the whole, and the memory each modem is left with when another port
// falls silent, loses its adapter, hangs or crashes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "cli/multiport.h"
#include "emulator.h"
#include "kvctl_run.h"
#include "models.h"
#include "testdir.h"

namespace {

using kvtest::kvctl;
using Side = kvtest::Kv417rSide;
using Modem = kvtest::EmulatedModem<Side::Machine>;

// Erased modems on COM1..COMn.
struct Modems {
    explicit Modems(int n) {
        for (int i = 1; i <= n; ++i)
            all.push_back(std::make_unique<Modem>(i, Side::Machine::erasedMemory()));
    }
    Modem& operator[](int i) { return *all[size_t(i)]; }
    QStringList portArguments() const {
        QStringList a;
        for (size_t i = 1; i <= all.size(); ++i) a << "--port" << QString::number(i);
        return a;
    }
    std::vector<std::unique_ptr<Modem>> all;
};

QStringList stdoutLines(const kvtest::KvctlRun& run) {
    return QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
}

TEST(SeveralPorts, FourModemsOneSilent) {
    Modems modems(4);
    Side::Faults silent;
    silent.silenceAfterBytes = 0;
    modems[2].arm(silent);
    kvtest::writeFile("table.dat", Side::file());

    const auto run =
        kvctl(QStringList{"write", "--model", "KV417R", "--json", "--trace", "t.txt", "table.dat"} +
              modems.portArguments());
    EXPECT_EQ(run.exitCode, 5);
    ASSERT_EQ(run.reports.size(), 4) << run.out.toStdString();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        const QJsonObject r = run.reports[i].toObject();
        EXPECT_EQ(r["port"].toString(), QString::number(i + 1));
        EXPECT_EQ(r["message"].toString(), i == 2 ? "Communication Error[1]!!" : "Data Write OK!!");
        EXPECT_EQ(kvtest::holdsTheFile<Side>(modems[i]), i != 2);
        // Each port its own trace, named in its own report.
        const QString trace = QStringLiteral("t-COM%1.txt").arg(i + 1);
        EXPECT_EQ(r["trace"].toString(), trace);
        EXPECT_EQ(kvtest::readFile(trace).contains("TIMEOUT"), i == 2);
    }
    EXPECT_TRUE(run.err.contains("4: progress Receive 100\n")) << run.err.toStdString();

    // The same ports from a file, in text.
    kvtest::writeFile("ports.txt", "# the adapters of the station\n1\n  2\n\n3\n4\n");
    const auto text = kvctl({"verify", "--model", "KV417R", "--ports", "ports.txt", "table.dat"});
    EXPECT_EQ(text.exitCode, 5);
    EXPECT_EQ(stdoutLines(text),
              (QStringList{"1: Data Compare Finish", "2: Data Compare Finish",
                           "3: Communication Error[1]!!", "4: Data Compare Finish"}));
}

TEST(SeveralPorts, ATerminalShowsABarPerPortRedrawnInPlace) {
    Modems modems(2);
    modems[0].setMemory(Side::golden());
    modems[1].setMemory(Side::golden());
    // stderr on a pseudo-terminal of the test's own.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    const QByteArray slave = ::ptsname(master);
    QProcess p;
    p.setChildProcessModifier([&slave] {
        const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
        if (fd >= 0) ::dup2(fd, STDERR_FILENO);
    });
    p.start(KV_BUILD_DIR "/kvctl",
            {"read", "--model", "KV417R", "--port", "1", "--port", "2", "-o", "got.dat"});
    QByteArray screen;
    const auto drain = [&] {
        pollfd f{master, POLLIN, 0};
        char buffer[4096];
        while (::poll(&f, 1, 0) > 0 && (f.revents & POLLIN)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            screen.append(buffer, n);
        }
    };
    for (int i = 0; i < 3000 && !p.waitForFinished(10); ++i) drain();
    drain();
    ::close(master);
    EXPECT_EQ(p.exitCode(), 0) << screen.toStdString();
    EXPECT_TRUE(screen.contains("\x1b[2A")) << "no redraw in place";
    for (const char* line :
         {"1  Receive  [", "2  Receive  [", "1  Receive Finished", "2  Receive Finished"})
        EXPECT_TRUE(screen.contains(line)) << line;
    EXPECT_FALSE(screen.contains("progress ")) << "plain lines on a terminal";
}

TEST(SeveralPorts, AnAdapterPulledMidWriteWhileThreeOthersFinish) {
    Modems modems(4);
    kvtest::writeFile("table.dat", Side::file());
    kvtest::KvctlProcess k(QStringList{"write", "--model", "KV417R", "--json", "table.dat"} +
                           modems.portArguments());
    ASSERT_TRUE(kvtest::waitUntil([&] { return modems[1].frames().size() >= 20; }));
    modems[1].unplug();
    const auto run = k.finish();
    EXPECT_EQ(run.exitCode, 5);
    ASSERT_EQ(run.reports.size(), 4) << run.out.toStdString();
    EXPECT_EQ(run.reports[1].toObject()["result"].toString(), "communication-error");
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(run.reports[i].toObject()["message"].toString(), "Data Write OK!!") << i;
        EXPECT_TRUE(kvtest::holdsTheFile<Side>(modems[i])) << i;
    }
}

TEST(SeveralPorts, ReadGivesEachPortItsOwnFilesAndUsageErrorsSendNothing) {
    Modems modems(2);
    const auto golden = Side::golden();
    modems[0].setMemory(golden);
    modems[1].setMemory(Side::Machine::demoMemory());
    ASSERT_TRUE(QDir().mkdir("images.d"));
    const auto run = kvctl({"read", "--model", "KV417R", "--port", "1", "--port", "2", "-o",
                            "got.dat", "--image", "images.d/raw", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(kvtest::readFile("got-COM1.dat"), Side::received(kvtest::imageOf(golden)));
    EXPECT_EQ(kvtest::readFile("got-COM2.dat"),
              Side::received(kvtest::imageOf(Side::Machine::demoMemory())));
    EXPECT_EQ(kvtest::readFile("images.d/raw-COM2"),
              QByteArray(reinterpret_cast<const char*>(Side::Machine::demoMemory().data()), 256));
    EXPECT_EQ(run.reports[0].toObject()["output_files"].toArray(),
              (QJsonArray{"images.d/raw-COM1", "got-COM1.dat"}));

    kvtest::writeFile("table.dat", Side::file());
    const QStringList write{"write", "--model", "KV417R", "--json", "table.dat"};
    const struct {
        QStringList args;
        QString message;
    } usage[] = {
        {write + QStringList{"--port", "1", "--port", "1"}, "port 1 is given twice"},
        {write + QStringList{"--ports", "none.txt"}, "--ports none.txt: "},
        {write + QStringList{"--port", "1", "--station"}, "--station needs --log FILE"},
        {write + QStringList{"--port", "1", "--log", "units.jsonl"}, "--log belongs to --station"},
        {write + QStringList{"--port", "1", "--port", "2", "--watchdog", "0"},
         "--watchdog takes a number of seconds from 1"},
        {{"show", "--model", "KV417R", "--json", "--port", "1", "--port", "2"},
         "show takes one --port"},
        {{"read", "--model", "KV417R", "--json", "--port", "1", "--port", "/dev/none/COM1", "-o",
          "x.dat"},
         "ports 1 and /dev/none/COM1 would both write the files named COM1"},
        {write + QStringList{"--port", "1", "--port", "/dev/none/COM1", "--trace", "t.txt"},
         "ports 1 and /dev/none/COM1 would both write the files named COM1"},
        {write + QStringList{"--port", "1", "--port", "/dev/none/COM1", "--trace", "t.txt",
                             "--station", "--log", "units.jsonl"},
         "ports 1 and /dev/none/COM1 would both write the files named COM1"},
    };
    for (const auto& u : usage) {
        SCOPED_TRACE(u.args.join(' ').toStdString());
        modems[0].arm({});
        const auto refused = kvctl(u.args);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.report["message"].toString().startsWith(u.message))
            << refused.report["message"].toString().toStdString();
        EXPECT_TRUE(modems[0].frames().empty());
    }
}

// The worker of `port` among the children of a run.
qint64 workerOf(const kvtest::KvctlProcess& k, const QString& port) {
    for (const qint64 pid : k.children()) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().contains("\0--port\0" + port.toUtf8() + '\0'))
            return pid;
    }
    return 0;
}

TEST(SeveralPorts, APortThatHangsOrCrashesIsStoppedAndReported) {
    Modems modems(3);
    kvtest::writeFile("table.dat", Side::file());
    kvtest::KvctlProcess k(
        QStringList{"write", "--model", "KV417R", "--json", "--watchdog", "3", "table.dat"} +
        modems.portArguments());
    ASSERT_TRUE(kvtest::waitUntil(
        [&] { return modems[0].frames().size() >= 5 && modems[1].frames().size() >= 5; }));
    const qint64 hung = workerOf(k, "1");
    const qint64 crashed = workerOf(k, "2");
    ASSERT_TRUE(hung && crashed);
    ::kill(pid_t(hung), SIGSTOP);
    ::kill(pid_t(crashed), SIGKILL);
    const auto run = k.finish();
    EXPECT_EQ(run.exitCode, 8);
    ASSERT_EQ(run.reports.size(), 3) << run.out.toStdString();
    const struct {
        const char* result;
        const char* detail;
    } expected[] = {{"aborted", "its process showed no sign of life for 3 s and was stopped; "},
                    {"aborted", "its process ended by signal 9"},
                    {"ok", nullptr}};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject r = run.reports[i].toObject();
        EXPECT_EQ(r["result"].toString(), expected[i].result) << i;
        if (expected[i].detail) {
            EXPECT_TRUE(r["detail"].toString().startsWith(expected[i].detail))
                << i << ": " << r["detail"].toString().toStdString();
        } else {
            EXPECT_TRUE(r["detail"].isNull());
        }
    }
    EXPECT_TRUE(kvtest::holdsTheFile<Side>(modems[2]));
    EXPECT_FALSE(kvtest::processAlive(hung));
    EXPECT_FALSE(kvtest::processAlive(crashed));
}

TEST(SeveralPorts, TheMostSeriousOutcomeDecidesAndEachPortNamesItsFiles) {
    using kvctl::Outcome;
    const struct {
        QList<Outcome> outcomes;
        Outcome most;
    } cases[] = {
        {{}, Outcome::Ok},
        {{Outcome::Ok, Outcome::Ok}, Outcome::Ok},
        {{Outcome::Ok, Outcome::Difference, Outcome::Communication}, Outcome::Communication},
        {{Outcome::Difference, Outcome::PortUnavailable}, Outcome::PortUnavailable},
        {{Outcome::SettingRefused, Outcome::Difference}, Outcome::Difference},
        {{Outcome::Usage, Outcome::SettingRefused}, Outcome::SettingRefused},
        {{Outcome::Communication, Outcome::Aborted}, Outcome::Aborted},
        {{Outcome::Aborted, Outcome::Interrupted, Outcome::Ok}, Outcome::Interrupted},
        {{Outcome::NotInitialised, Outcome::Difference}, Outcome::NotInitialised},
    };
    for (const auto& c : cases) EXPECT_EQ(kvctl::mostSerious(c.outcomes), c.most);

    const struct {
        const char* path;
        const char* port;
        const char* named;
    } paths[] = {
        {"got.dat", "2", "got-COM2.dat"},
        {"trace.v1/bytes", "/dev/ttyUSB0", "trace.v1/bytes-ttyUSB0"},
        {".hidden", "1", ".hidden-COM1"},
        {"a.tar.gz", "/dev/serial/by-id/usb-FTDI_A B-if00", "a.tar-usb-FTDI_A_B-if00.gz"},
    };
    for (const auto& p : paths) EXPECT_EQ(kvctl::perPortPath(p.path, p.port), p.named);
}

}  // namespace
