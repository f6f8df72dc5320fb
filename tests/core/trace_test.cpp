// Protocol traces, the store that keeps the windows' traces, and the memory backups.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <stdexcept>

#include "core/backup.h"
#include "core/commandrunner.h"
#include "core/portsession.h"
#include "core/trace.h"
#include "core/tracestore.h"
#include "platform/tick.h"
#include "serial/CommX.h"
#include "testdir.h"
#include "tracetext.h"

using kvcore::ProtocolTrace;

TEST(ProtocolTrace, OneLinePerBurstTimedFromTheOpening) {
    ProtocolTrace t("kvprog_a", "Receive", QDateTime(QDate(2026, 5, 3), QTime(14, 22, 5)));
    t.portOpened("/dev/ttyUSB0");
    for (uint8_t b : {0xCC, 0x04, 0x00}) t.sent(b);
    platform::WaitMs(40);
    for (uint8_t b : {0x33, 0x06}) t.received(b);
    t.timedOut();
    t.sent(0x0A);
    t.portClosed();
    t.succeeded("Data Write OK!!");
    t.failed("Communication Error[1]!!");

    const QStringList lines = QString::fromUtf8(t.text()).split('\n');
    ASSERT_EQ(lines.size(), 10) << t.text().toStdString();
    EXPECT_EQ(lines[0], "# kvprog_a trace of Receive, started 2026-05-03 14:22:05 local time");
    EXPECT_TRUE(lines[1].startsWith("# ms since the port opened"));
    EXPECT_EQ(lines[2], "       0 OPEN /dev/ttyUSB0");
    EXPECT_EQ(lines[3], "       0 TX CC 04 00");
    const QStringList rx = lines[4].split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(rx.size(), 4);
    EXPECT_GE(rx[0].toInt(), 40) << "timed at the burst's first byte, since the opening";
    EXPECT_EQ(rx.mid(1), (QStringList{"RX", "33", "06"}));
    EXPECT_TRUE(lines[5].endsWith(" TIMEOUT no reply within 1000 ms"));
    EXPECT_TRUE(lines[6].endsWith(" TX 0A"));
    EXPECT_TRUE(lines[7].endsWith(" CLOSE"));
    EXPECT_EQ(lines[8], "RESULT error: Communication Error[1]!!") << "a failure outweighs success";
    EXPECT_EQ(lines[9], "");
}

namespace {

ProtocolTrace traceAt(int second, const QString& command = "Receive") {
    ProtocolTrace t("kvprog_b", command, QDateTime(QDate(2026, 1, 2), QTime(3, 4, second)));
    t.portOpened("/dev/ttyS0");
    t.portClosed();
    return t;
}

}  // namespace

TEST(TraceStore, KeepsTheNewestTwentyOfItsTool) {
    QObject port;
    kvcore::TraceStore store(&port, "kvprog_b");
    EXPECT_EQ(store.folder(), kvtest::traceFolder());
    kvtest::writeFile("keep", "");
    ASSERT_TRUE(QDir().mkpath(store.folder()));
    const QString otherTool = store.folder() + "/kvprog_a_20260101-000000-000_Receive.txt";
    ASSERT_TRUE(QFile::copy("keep", otherTool));
    for (int s = 0; s < 23; ++s) store.keep(traceAt(s, s == 22 ? "EEPROM INIT" : "Receive"));
    QStringList expected;
    for (int s = 3; s < 22; ++s)
        expected << QString::asprintf("kvprog_b_20260102-0304%02d-000_Receive.txt", s);
    expected << "kvprog_b_20260102-030422-000_EEPROM-INIT.txt";
    QStringList files = kvtest::filesIn(store.folder());
    EXPECT_TRUE(files.removeOne("kvprog_a_20260101-000000-000_Receive.txt"));
    EXPECT_EQ(files, expected);
    EXPECT_EQ(store.lastName(), expected.last());
    EXPECT_EQ(store.lastText(), traceAt(22, "EEPROM INIT").text());
}

TEST(TraceStore, AFolderThatCannotBeWrittenKeepsTheTraceInMemory) {
    QObject port;
    kvtest::writeFile("plain-file", "");
    kvcore::TraceStore store(&port, "kvprog_a", kvtest::currentTestDir() + "/plain-file/traces");
    EXPECT_TRUE(store.keep(traceAt(1)).isEmpty());
    EXPECT_TRUE(store.hasLast());
    EXPECT_EQ(store.lastText(), traceAt(1).text());
}

// The runner traces a named command that tried the port, with an escaping error as its
// result; a refused command, or one that ended before the port, leaves none.
TEST(CommandRunner, TracesEachCommandThatTriedThePort) {
    TCommX comm;
    comm.setDevice("/nonexistent/ttyKV");
    QStringList shown;
    kvcore::CommandRunner runner(&comm, [&](const QString& t) { shown << t; });
    runner.run("Untraced", [&] { EXPECT_EQ(runner.trace(), nullptr) << "no store for the port"; });

    kvcore::TraceStore store(&comm, "kvprog_a");
    runner.run("Transmit", [] {});  // refused before the port, as a setting error is
    EXPECT_FALSE(store.hasLast());
    runner.run("Receive", [&] {
        runner.run("Transmit", [] { ADD_FAILURE() << "a second command ran"; });
        kvcore::PortSession session(comm);
    });
    EXPECT_EQ(shown.size(), 2);
    const QStringList files = kvtest::filesIn(store.folder());
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].endsWith("_Receive.txt")) << files[0].toStdString();
    const kvtest::TraceText t = kvtest::parseTrace(store.lastText());
    const QString error = QString(shown.last()).replace('\n', ' ');
    EXPECT_TRUE(error.startsWith("It was open, and it didn't come [ the port ]. /nonexistent"));
    EXPECT_EQ(t.events, QStringList{"OPEN FAILED /nonexistent/ttyKV: " + error});
    EXPECT_EQ(t.result, "error: " + error);
}

namespace {

kvcore::MemoryImage imageOf(uint8_t fill) {
    kvcore::MemoryImage m;
    m.fill(fill);
    return m;
}

}  // namespace

TEST(Backups, KeptUnderModelTimeAndKindThenPruned) {
    const QString folder = kvtest::backupFolder();
    EXPECT_EQ(kvcore::backupFolder(), folder);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QDateTime now = QDateTime::currentDateTime();
    const auto place = [&](const QString& name, const QDateTime& modified) {
        QFile f(folder + '/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    };
    const auto recent = [](int i) {
        return QString::asprintf("KV417R_20250101-0000%02d-%03d_read.img", i / 100, i % 100);
    };
    // An image over a year old goes, one of 364 days stays, and so do files of other names.
    place("KV417R_20240101-000000-000_read.img", now.addDays(-366));
    place("KV417R_20240103-000000-000_read.img", now.addDays(-364));
    place("mine.img", now.addDays(-800));
    place("KV417R_notes.img", now.addDays(-800));
    const QString saved =
        kvcore::saveBackup("KV938R/935R/931R", kvcore::ImageKind::EraseVerify, imageOf(0xFF));
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_TRUE(QRegularExpression(
                    QRegularExpression::anchoredPattern(
                        folder + "/KV938R-935R-931R_\\d{8}-\\d{6}-\\d{3}_erase-verify\\.img"))
                    .match(saved)
                    .hasMatch())
        << saved.toStdString();
    EXPECT_EQ(kvtest::readFile(saved), QByteArray(256, char(0xFF)));
    QStringList files = kvtest::filesIn(folder);
    EXPECT_EQ(files, (QStringList{"KV417R_20240103-000000-000_read.img", "KV417R_notes.img",
                                  QFileInfo(saved).fileName(), "mine.img"}));

    // Never more than 500: the oldest go first.
    for (int i = 0; i < 500; ++i) place(recent(i), now.addSecs(-3600 - i));
    kvcore::saveBackup("KV417R", kvcore::ImageKind::Read, imageOf(0));
    files = kvtest::filesIn(folder);
    EXPECT_EQ(files.size(), 500 + 2);
    EXPECT_TRUE(files.contains("mine.img") && files.contains("KV417R_notes.img"));
    EXPECT_FALSE(files.contains("KV417R_20240103-000000-000_read.img"));
    EXPECT_FALSE(files.contains(recent(498)));
    EXPECT_TRUE(files.contains(recent(497)));
    EXPECT_TRUE(files.contains(QFileInfo(saved).fileName()));
}

TEST(Backups, AFolderThatCannotBeWrittenIsReportedNotThrown) {
    kvtest::writeFile("plain-file", "");
    qputenv("XDG_DATA_HOME", QFile::encodeName(kvtest::currentTestDir() + "/plain-file"));
    QString error;
    EXPECT_TRUE(
        kvcore::saveBackup("KV417R", kvcore::ImageKind::Read, imageOf(0), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_NO_THROW(kvcore::keepBackup("KV417R", kvcore::ImageKind::Read, imageOf(0)));
}
