// The modem verbs of the real kvctl against each model's emulator on a pseudo-terminal: the
// bytes they leave, every way they can end with its exit code and report.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>

#include "emulator.h"
#include "kvctl_run.h"
#include "models.h"
#include "testdir.h"
#include "tracetext.h"

namespace {

using kvtest::kvctl;

template <class Side>
class ModemVerbs : public testing::Test {
  protected:
    using Machine = typename Side::Machine;
    QStringList modemArgs(const char* verb) const {
        return {verb, "--model", Side::model, "--port", "1", "--json"};
    }
    // The report's result, exit code and message.
    static void expectEnd(const kvtest::KvctlRun& run, int exit, const char* result,
                          const QString& message) {
        EXPECT_EQ(run.exitCode, exit) << run.err.toStdString();
        EXPECT_EQ(run.report["result"].toString(), result);
        EXPECT_EQ(run.report["message"].toString(), message);
        EXPECT_EQ(run.report["ok"].toBool(), exit == 0);
    }
    kvtest::EmulatedModem<Machine> modem{1, Side::golden()};
};

using Sides = testing::Types<kvtest::Kv417rSide, kvtest::Kv93xSide>;
TYPED_TEST_SUITE(ModemVerbs, Sides);

TYPED_TEST(ModemVerbs, Read) {
    using Side = TypeParam;
    const auto golden = Side::golden();
    // Success: the block Save As writes after a Receive, and the raw image.
    auto run = kvctl(this->modemArgs("read") << "-o"
                                             << "got.dat"
                                             << "--image"
                                             << "got.img");
    this->expectEnd(run, 0, "ok", "Receive Finished");
    EXPECT_EQ(kvtest::readFile("got.dat"), Side::received(kvtest::imageOf(golden)));
    EXPECT_EQ(kvtest::readFile("got.img"),
              QByteArray(reinterpret_cast<const char*>(golden.data()), 256));
    EXPECT_EQ(run.report["output_files"].toArray().size(), 2);
    EXPECT_EQ(run.report["bytes_received"].toInt(), Side::model[2] == '4' ? 3 + 256 + 1 : 1 + 256);
    EXPECT_EQ(run.report["device"].toString().toStdString(), this->modem.devicePath());
    EXPECT_TRUE(run.err.contains("progress Receive 100\n")) << run.err.toStdString();

    for (const auto& f : Side::readFaults()) {
        SCOPED_TRACE(f.what);
        this->modem.arm(f.faults);
        QFile::remove("got.dat");
        run = kvctl(this->modemArgs("read") << "-o"
                                            << "got.dat");
        this->expectEnd(run, 5, "communication-error", f.message);
        EXPECT_FALSE(QFile::exists("got.dat"));
    }
    this->modem.arm({});
    {
        SCOPED_TRACE("erased memory");
        this->modem.setMemory(Side::Machine::erasedMemory());
        run = kvctl(this->modemArgs("read") << "-o"
                                            << "got.dat"
                                            << "--image"
                                            << "erased.img");
        this->expectEnd(run, 6, "not-initialised", "EEPROM Initialization Error!!");
        EXPECT_FALSE(QFile::exists("got.dat"));
        EXPECT_EQ(kvtest::readFile("erased.img"), QByteArray(256, char(0xFF)));
    }
    {
        SCOPED_TRACE("a port that cannot be opened");
        run = kvctl({"read", "--model", Side::model, "--port", "/nonexistent/ttyKV", "--json", "-o",
                     "got.dat"});
        this->expectEnd(run, 4, "port-unavailable",
                        "It was open, and it didn't come [ the port ].");
        EXPECT_EQ(run.report["detail"].toString(),
                  "/nonexistent/ttyKV: no such device, or the adapter is unplugged.");
        EXPECT_TRUE(run.err.contains("no such device")) << run.err.toStdString();
    }
}

TYPED_TEST(ModemVerbs, Write) {
    using Side = TypeParam;
    kvtest::writeFile("table.dat", Side::file());
    kvtest::writeFile("refused.dat", Side::refusedFile());
    kvtest::writeFile("short.dat", Side::file().left(Side::file().size() - 1));
    kvtest::writeFile("long.dat", Side::file() + QByteArray(40, '\x7F'));
    kvtest::writeFile("other.dat", QByteArray(Side::file().size() == 824 ? 800 : 824, '\0'));

    // Success: the memory holds what the window's Transmit writes after Open of the file.
    for (const char* name : {"table.dat", "long.dat"}) {
        SCOPED_TRACE(name);
        this->modem.setMemory(Side::Machine::erasedMemory());
        const QDate before = QDate::currentDate();
        const auto run = kvctl(this->modemArgs("write") << name);
        const QDate after = QDate::currentDate();
        this->expectEnd(run, 0, "ok", "Data Write OK!!");
        const auto memory = this->modem.memory();
        const auto table = Side::table();
        const kvcore::MemoryImage expected = Side::written(table, before);
        for (int a = 0; a < 256; ++a)
            if (Side::compared(a)) {
                EXPECT_EQ(memory[a], expected[a]) << "byte " << a;
            }
        if (Side::model[2] != '4') {  // the day of writing, whichever side of midnight
            const QByteArray day(reinterpret_cast<const char*>(&memory[251]), 3);
            const auto stamp = [&](const QDate& d) {
                const kvcore::MemoryImage i = Side::written(table, d);
                return QByteArray(reinterpret_cast<const char*>(&i[251]), 3);
            };
            EXPECT_TRUE(day == stamp(before) || day == stamp(after));
        }
    }

    struct Case {
        const char* what;
        QStringList args;
        typename Side::Faults faults;
        int exit;
        const char* result;
        QString message;
        bool sends;
    };
    const Case cases[] = {
        {"refused setting",
         this->modemArgs("write") << "refused.dat",
         {},
         3,
         "setting-refused",
         Side::refusal(),
         false},
        {"short file",
         this->modemArgs("write") << "short.dat",
         {},
         2,
         "usage",
         "Read beyond end of file: short.dat",
         false},
        {"the other model's file",
         this->modemArgs("write") << "other.dat",
         {},
         2,
         "usage",
         Side::file().size() == 824
             ? "other.dat is 800 bytes long, a KV93x settings file; a KV417R file is 824"
             : "other.dat is 824 bytes long, a KV417R settings file; a KV935R file is 800",
         false},
        {"missing file",
         this->modemArgs("write") << "none.dat",
         {},
         2,
         "usage",
         "File not found: none.dat",
         false},
        {"silence", this->modemArgs("write") << "table.dat", Side::writeSilence(), 5,
         "communication-error", "Communication Error[1]!!", true},
        {"silence during the writes",
         this->modemArgs("write") << "--no-backup"
                                  << "table.dat",
         Side::writeSilence(), 5, "communication-error", "Communication Error[1]!!", true},
        {"read-back NG", this->modemArgs("write") << "table.dat", Side::readBackNg(), 1,
         "difference", "Data Write NG!!", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->modem.setMemory(Side::Machine::erasedMemory());
        this->modem.arm(c.faults);
        const auto run = kvctl(c.args);
        this->expectEnd(run, c.exit, c.result, c.message);
        EXPECT_EQ(!this->modem.frames().empty(), c.sends);
        EXPECT_EQ(run.report["bytes_sent"].toInt() > 0, c.sends);
        EXPECT_EQ(run.report["port"].toString(), "1") << "every report names the port";
    }
}

TYPED_TEST(ModemVerbs, Verify) {
    using Side = TypeParam;
    kvtest::writeFile("table.dat", Side::file());
    const QDate today = QDate::currentDate();
    const auto image = [&](const auto& table) {
        typename Side::Machine::Memory m = Side::golden();
        const kvcore::MemoryImage w = Side::written(table, today.addDays(-30));
        std::copy(w.begin(), w.end(), m.begin());
        return m;
    };
    const auto same = image(Side::table());
    auto rawOnly = same;
    const int raw = Side::rawOnlyAddress();
    rawOnly[raw] |= Side::rawOnlyBits();
    const QString rawLine =
        QString::asprintf("byte 0x%02X: file %02X, modem %02X", raw, same[raw], rawOnly[raw]);
    const struct {
        const char* what;
        typename Side::Machine::Memory memory;
        int exit;
        QStringList lines;
    } cases[] = {
        {"identical, written another day", same, 0, {}},
        {"one channel and one set-mode value", image(Side::differentTable()), 1,
         Side::differenceLines()},
        {"a bit no field reads", rawOnly, 1, {rawLine}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        this->modem.setMemory(c.memory);
        const auto run = kvctl(this->modemArgs("verify") << "table.dat");
        this->expectEnd(run, c.exit, c.exit ? "difference" : "ok",
                        c.exit ? "Data Compare NG!!" : "Data Compare Finish");
        QStringList lines;
        for (const QJsonValue& d : run.report["differences"].toArray()) {
            const QJsonObject o = d.toObject();
            lines << o["field"].toString() + ": file " + o["file"].toString() + ", modem " +
                         o["modem"].toString();
        }
        EXPECT_EQ(lines, c.lines);
        // Without --json the same lines stand on stdout; the port named by its device path.
        const auto text = kvctl({"verify", "--model", Side::model, "--port",
                                 QString::fromStdString(this->modem.devicePath()), "table.dat"});
        EXPECT_EQ(text.exitCode, c.exit) << text.err.toStdString();
        EXPECT_EQ(
            QString::fromUtf8(text.out).split('\n', Qt::SkipEmptyParts).mid(0, c.lines.size()),
            c.lines);
    }
}

TYPED_TEST(ModemVerbs, Erase) {
    using Side = TypeParam;
    const struct {
        const char* what;
        QStringList extra;
        const char* marker;  // a marker file in the current folder, or none
        int exit;
        bool sends;
    } cases[] = {
        {"without --yes", {"--production"}, nullptr, 2, false},
        {"outside production mode", {"--yes"}, nullptr, 2, false},
        {"with --yes and --production", {"--yes", "--production"}, nullptr, 0, true},
        {"with --yes and the marker file",
         {"--yes"},
         Side::model[2] == '4' ? "Seisan.FMT" : "生産.FMT",
         0,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        this->modem.setMemory(Side::golden());
        if (c.marker) kvtest::writeFile(QString::fromUtf8(c.marker), {});
        const auto run = kvctl(this->modemArgs("erase") << c.extra);
        EXPECT_EQ(run.exitCode, c.exit) << run.err.toStdString();
        EXPECT_EQ(!this->modem.frames().empty(), c.sends);
        if (c.exit == 0) {
            EXPECT_EQ(run.report["message"].toString(), "EEPROM INIT OK!!");
            const auto m = this->modem.memory();
            EXPECT_TRUE(std::all_of(m.begin(), m.end(), [](uint8_t b) { return b == 0xFF; }));
        }
    }
    // A byte that stays: the check fails.
    typename Side::Faults stuck;
    stuck.stuckAddress = Side::erasedMarkAddress();
    stuck.stuckValue = 0x07;
    this->modem.arm(stuck);
    const auto run = kvctl(this->modemArgs("erase") << "--yes"
                                                    << "--production");
    this->expectEnd(run, 1, "difference", "EEPROM INIT NG!!");
}

template <class Memory>
QByteArray bytesOfMemory(const Memory& m) {
    return QByteArray(reinterpret_cast<const char*>(m.data()), int(m.size()));
}

// The images a report names, as "kind:contents-in-hex".
QStringList keptImages(const QJsonObject& report) {
    QStringList kept;
    for (const QJsonValue& b : report["backups"].toArray())
        kept << b["kind"].toString() + ':' +
                    QString::fromLatin1(kvtest::readFile(b["file"].toString()).toHex());
    return kept;
}

// A write reads and keeps the memory it is about to replace, after the file's checks and
// before its first write; the trace shows every byte of it.
TYPED_TEST(ModemVerbs, WriteKeepsTheMemoryItReplaces) {
    using Side = TypeParam;
    kvtest::writeFile("table.dat", Side::file());
    this->modem.setMemory(Side::golden());
    const QString before = QString::fromLatin1(bytesOfMemory(Side::golden()).toHex());
    auto run = kvctl(this->modemArgs("write") << "--trace"
                                              << "write.trace"
                                              << "table.dat");
    this->expectEnd(run, 0, "ok", "Data Write OK!!");
    const QString after = QString::fromLatin1(bytesOfMemory(this->modem.memory()).toHex());
    EXPECT_EQ(keptImages(run.report),
              (QStringList{"before-write:" + before, "write-verify:" + after}));
    EXPECT_EQ(run.report["trace"].toString(), "write.trace");
    EXPECT_TRUE(run.err.contains("memory image kept: ")) << run.err.toStdString();
    const kvtest::TraceText t = kvtest::parseTrace(kvtest::readFile("write.trace"));
    EXPECT_EQ(t.tx, kvtest::concatenated(this->modem.frames()));
    EXPECT_EQ(t.rx, this->modem.sentBytes());
    EXPECT_EQ(t.result, "ok: Data Write OK!!");
    EXPECT_EQ(t.badLines, 0);
    const auto frames = this->modem.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), frames.back()) << "the backup is read as the verify reads";

    struct Case {
        const char* what;
        QStringList extra;
        typename Side::Faults faults;
        int exit;
        size_t frames;  // 0: more than one
        int images;
    };
    typename Side::Faults silent;
    silent.silenceAfterBytes = 20;  // inside the backup read
    const Case cases[] = {
        {"the backup read fails: nothing is written", {}, silent, 5, 1, 0},
        {"--no-backup: the first frame is a write", {"--no-backup"}, {}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->modem.setMemory(Side::golden());
        this->modem.arm(c.faults);
        run = kvctl(this->modemArgs("write") << c.extra << "--trace"
                                             << "write.trace"
                                             << "table.dat");
        EXPECT_EQ(run.exitCode, c.exit) << run.err.toStdString();
        if (c.frames) {
            EXPECT_EQ(this->modem.frames().size(), c.frames);
        } else {
            EXPECT_NE(this->modem.frames().front(), frames.front());
        }
        EXPECT_EQ(run.report["backups"].toArray().size(), c.images);
        EXPECT_EQ(kvtest::parseTrace(kvtest::readFile("write.trace")).timeouts, c.exit ? 1 : 0);
        if (c.exit) {
            EXPECT_EQ(bytesOfMemory(this->modem.memory()), bytesOfMemory(Side::golden()));
            EXPECT_EQ(run.report["detail"].toString(),
                      "The memory could not be read for its backup: nothing was written.");
        }
    }

    // A backup folder that cannot be written: the write goes on and says so.
    this->modem.arm({});
    kvtest::writeFile("plain-file", "");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(kvtest::currentTestDir() + "/plain-file"));
    run = kvctl(this->modemArgs("write") << "table.dat");
    qputenv("XDG_DATA_HOME", data);
    this->expectEnd(run, 0, "ok", "Data Write OK!!");
    EXPECT_TRUE(run.report["backups"].toArray().isEmpty());
    EXPECT_EQ(run.report["warnings"].toArray().size(), 2) << "the backup and the read-back";
    EXPECT_TRUE(run.err.contains("warning: memory image not kept")) << run.err.toStdString();
}

// restore puts a backup image back: the table write's words, the calibration as the modem
// has it; with --with-calibration, in production mode only, all 256 bytes.
TYPED_TEST(ModemVerbs, Restore) {
    using Side = TypeParam;
    const auto modemHeld = Side::golden();
    auto image = modemHeld;
    const kvcore::MemoryImage table = Side::written(Side::differentTable(), QDate(2024, 2, 29));
    for (int a = 0; a < 256; ++a)
        if (a < Side::calibrationFirst() || a > Side::calibrationLast()) image[a] = table[a];
    for (int a = Side::calibrationFirst(); a <= Side::calibrationLast(); ++a) image[a] ^= 0x5A;
    image[0x90] ^= 0xFF;  // for the KV417R, a byte no table write sends
    kvtest::writeFile("backup.img", bytesOfMemory(image));
    kvtest::writeFile("short.img", bytesOfMemory(image).left(255));
    kvtest::writeFile("erased.img", QByteArray(256, char(0xFF)));

    struct Case {
        const char* what;
        QStringList args;
        int exit;
        bool sends;
    };
    const Case refused[] = {
        {"calibration outside production mode", {"--with-calibration", "backup.img"}, 2, false},
        {"an image of 255 bytes", {"short.img"}, 2, false},
        {"an erased image", {"erased.img"}, 2, false},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        this->modem.setMemory(modemHeld);
        const auto run = kvctl(this->modemArgs("restore") << c.args);
        EXPECT_EQ(run.exitCode, c.exit) << run.err.toStdString();
        EXPECT_TRUE(this->modem.frames().empty());
    }

    this->modem.setMemory(modemHeld);
    auto run = kvctl(this->modemArgs("restore") << "backup.img");
    this->expectEnd(run, 0, "ok", "Data Write OK!!");
    auto held = this->modem.memory();
    for (int a = 0; a < 256; ++a) {
        const bool calibration = a >= Side::calibrationFirst() && a <= Side::calibrationLast();
        if (calibration) {
            EXPECT_EQ(held[a], modemHeld[a]) << "byte " << a << " untouched";
        } else if (Side::compared(a)) {
            EXPECT_EQ(held[a], image[a]) << "byte " << a;
        }
    }
    if (!Side::compared(0x90)) {
        EXPECT_EQ(held[0x90], modemHeld[0x90]) << "a byte no table write sends";
    }
    EXPECT_EQ(keptImages(run.report).value(0),
              "before-write:" + QString::fromLatin1(bytesOfMemory(modemHeld).toHex()));

    this->modem.setMemory(modemHeld);
    run = kvctl(this->modemArgs("restore") << "--with-calibration"
                                           << "--production"
                                           << "backup.img");
    this->expectEnd(run, 0, "ok", "Data Write OK!!");
    EXPECT_EQ(bytesOfMemory(this->modem.memory()), bytesOfMemory(image));
    EXPECT_EQ(this->modem.frames().size(), 1u + 128u + 1u);

    // A modem that keeps one calibration byte: the whole compare sees it.
    typename Side::Faults stuck;
    stuck.stuckAddress = Side::calibrationFirst();
    stuck.stuckValue = static_cast<uint8_t>(image[Side::calibrationFirst()] ^ 1);
    this->modem.setMemory(modemHeld);
    this->modem.arm(stuck);
    run = kvctl(this->modemArgs("restore") << "--with-calibration"
                                           << "--production"
                                           << "backup.img");
    this->expectEnd(run, 1, "difference", "Data Write NG!!");
}

}  // namespace
