// The production station's loop on COM1, whose emulated modem the test puts into the fixture
// (an answering modem) and takes out again (a silent one): the units in its log, what counts
// as done, and a stop in the middle of a write.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include "emulator.h"
#include "kvctl_run.h"
#include "models.h"
#include "testdir.h"

namespace {

using kvtest::kvctl;
using Side = kvtest::Kv417rSide;
using Machine = Side::Machine;
using Modem = kvtest::EmulatedModem<Machine>;

const QStringList kStation{"write",   "--station", "--log",  "units.jsonl",
                           "--model", "KV417R",    "--port", "1"};

// Every line of the log, each held against the schema's unit; a line must be whole.
QList<QJsonObject> logLines() {
    QList<QJsonObject> lines;
    const QByteArray log = kvtest::readFile("units.jsonl");
    EXPECT_TRUE(log.isEmpty() || log.endsWith('\n')) << "a line cut off";
    for (const QByteArray& line : log.split('\n')) {
        if (line.isEmpty()) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        EXPECT_TRUE(doc.isObject()) << line.toStdString();
        const QString violation =
            kvtest::schemaViolation(doc.object(), kvtest::schemaDefinition("unit"));
        EXPECT_TRUE(violation.isEmpty()) << violation.toStdString() << "\n" << line.toStdString();
        lines << doc.object();
    }
    return lines;
}

int framesOf(Modem& modem, uint8_t command) {
    return modem.with([&](Machine& m) { return m.countFrames(command); });
}

TEST(Station, UnitsInARowAndAFailingUnitThatIsNotCounted) {
    Modem modem(1, Machine::erasedMemory());
    kvtest::writeFile("table.dat", Side::file());
    kvtest::writeFile("refused.dat", Side::refusedFile());
    // A file the write refuses refuses the station: nothing sent, no log begun.
    const auto refused = kvctl(kStation + QStringList{"refused.dat"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(modem.frames().empty());
    EXPECT_FALSE(QFile::exists("units.jsonl"));

    kvtest::KvctlProcess k(kStation + QStringList{"--trace", "t.txt", "table.dat"});
    Side::Faults removed;
    removed.silenceAfterBytes = 0;
    // The first unit is in the fixture from the start.
    ASSERT_TRUE(k.waitForErr("1: unit 1 done, Data Write OK!!")) << k.err().toStdString();
    // While it stays there it is read, never written again.
    modem.arm({});
    ASSERT_TRUE(kvtest::waitUntil([&] { return framesOf(modem, Machine::kReadAll) >= 2; }));
    EXPECT_EQ(framesOf(modem, Machine::kWriteWord), 0);

    // Taken out; the next unit keeps one word it is sent, and fails its verify.
    modem.arm(removed);
    ASSERT_TRUE(k.waitForErr("1: waiting for a modem   [1 done, 0 failed]"));
    modem.setMemory(Machine::erasedMemory());
    modem.arm(Side::readBackNg());
    ASSERT_TRUE(k.waitForErr("1: FAILED, Data Write NG!!")) << k.err().toStdString();
    modem.arm(removed);
    ASSERT_TRUE(k.waitForErr("1: waiting for a modem   [1 done, 1 failed]"));
    modem.setMemory(Machine::erasedMemory());
    modem.arm({});
    ASSERT_TRUE(k.waitForErr("1: unit 2 done, Data Write OK!!")) << k.err().toStdString();
    EXPECT_TRUE(kvtest::holdsTheFile<Side>(modem));

    // A stop between units.
    ::kill(pid_t(k.pid()), SIGTERM);
    const auto run = k.finish();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("\n1: 2 done, 1 failed\n")) << run.out.toStdString();
    const QList<QJsonObject> lines = logLines();
    ASSERT_EQ(lines.size(), 3);
    const struct {
        bool done;
        QJsonValue unit;
        const char* message;
    } expected[] = {{true, 1, "Data Write OK!!"},
                    {false, QJsonValue::Null, "Data Write NG!!"},
                    {true, 2, "Data Write OK!!"}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i]["done"].toBool(), expected[i].done);
        EXPECT_EQ(lines[i]["unit"], expected[i].unit);
        EXPECT_EQ(lines[i]["port"].toString(), "1");
        EXPECT_EQ(lines[i]["report"].toObject()["message"].toString(), expected[i].message);
        EXPECT_EQ(lines[i]["station_start"], lines[0]["station_start"]);
        // Each unit tried has its own trace; the probes between units leave none.
        const QString trace = QStringLiteral("t-COM1-unit%1.txt").arg(i + 1);
        EXPECT_TRUE(kvtest::readFile(trace).contains("RESULT")) << trace.toStdString();
    }
    EXPECT_FALSE(QFile::exists("t.txt"));
    // Each unit's memory before its write and after; none of the probes' reads, which would
    // push the units' backups out.
    const QStringList images =
        QDir(".data/kvprog/backups").entryList({"*.img"}, QDir::Files, QDir::Name);
    EXPECT_EQ(images.filter("_before-write.img").size(), 3) << images.join(' ').toStdString();
    EXPECT_EQ(images.filter("_write-verify.img").size(), 3) << images.join(' ').toStdString();
    EXPECT_EQ(images.size(), 6) << images.join(' ').toStdString();
}

TEST(Station, AStopMidWriteLeavesNoPortOpenAndTheLogWhole) {
    kvtest::writeFile("table.dat", Side::file());
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        if (sig == SIGTERM) {
            // The log goes on from the run before, whose last line lost its line end.
            QByteArray earlier = kvtest::readFile("units.jsonl");
            earlier.chop(1);
            kvtest::writeFile("units.jsonl", earlier);
        }
        Modem modem(1, Machine::erasedMemory());
        kvtest::KvctlProcess k(kStation + QStringList{"table.dat"});
        ASSERT_TRUE(kvtest::waitUntil([&] { return framesOf(modem, Machine::kWriteWord) >= 20; }));
        const QList<qint64> workers = k.children();
        ASSERT_EQ(workers.size(), 1);
        ::kill(pid_t(k.pid()), sig);
        const auto run = k.finish();
        EXPECT_EQ(run.exitCode, 130) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains("\n1: 0 done, 1 failed\n")) << run.out.toStdString();
        const QList<QJsonObject> lines = logLines();
        ASSERT_EQ(lines.size(), sig == SIGINT ? 1 : 2);
        const QJsonObject report = lines.last()["report"].toObject();
        EXPECT_FALSE(lines.last()["done"].toBool());
        EXPECT_TRUE(lines.last()["unit"].isNull());
        EXPECT_EQ(report["result"].toString(), "interrupted");
        EXPECT_GT(report["bytes_sent"].toInt(), 20 * 8);
        EXPECT_FALSE(kvtest::holdsTheFile<Side>(modem)) << "the write was not cut short";
        EXPECT_FALSE(kvtest::processAlive(workers[0]));
        // Nobody holds the port any more.
        const auto after = kvctl({"read", "--model", "KV417R", "--port", "1", "--image", "x.img"});
        EXPECT_TRUE(after.exitCode == 0 || after.exitCode == 6) << after.err.toStdString();
    }
}

}  // namespace
