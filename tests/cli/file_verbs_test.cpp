// The file verbs of the real kvctl (show, import, print), the port list, the help and the
// usage errors; and the strict schema check every report goes through.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QProcess>

#include "emulator.h"
#include "kvctl_run.h"
#include "models.h"
#include "testdata.h"
#include "testdir.h"

namespace {

using kvtest::kvctl;

template <class Side>
class FileVerbs : public testing::Test {};

using Sides = testing::Types<kvtest::Kv417rSide, kvtest::Kv93xSide>;
TYPED_TEST_SUITE(FileVerbs, Sides);

bool isA(const char* model) {
    return QByteArray(model) == "KV417R";
}

TYPED_TEST(FileVerbs, Show) {
    using Side = TypeParam;
    const bool a = isA(Side::model);
    kvtest::writeFile("table.dat", Side::file());
    kvtest::writeFile("odd.dat", Side::file() + QByteArray(7, '\0'));
    const QString header =
        a ? "CH,RX Frq.,TX Frq.,TX Power,BR,D/A,MBR,SQL" : "CH,RX Frq.,TX Frq.,TX Power,BR,D/A,MBR";
    const QString row1 =
        a ? "1,224.0000,225.0000,L2,4800,ON,2400,L3" : "1,223.0125,230.0000,MID,4800,ON,2400";
    const struct {
        const char* what;
        QStringList args;
        int exit;
        QStringList lines;  // the first lines of stdout
    } cases[] = {
        {"csv",
         {"show", "table.dat", "--format", "csv"},
         0,
         {header, row1, a ? "2,,,,,,," : "2,,,,,,"}},
        {"text",
         {"show", "table.dat"},
         0,
         {a ? "CH  RX Frq.   TX Frq.   TX Power  BR    D/A  MBR   SQL"
            : "CH  RX Frq.   TX Frq.   TX Power  BR    D/A  MBR",
          a ? "1   224.0000  225.0000  L2        4800  ON   2400  L3"
            : "1   223.0125  230.0000  MID       4800  ON   2400"}},
        {"a size of neither model", {"show", "odd.dat"}, 2, {}},
        {"a longer file of a model named in any case",
         {"show", "odd.dat", "--model", QString(Side::model).toLower(), "--format", "csv"},
         0,
         {header, row1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto run = kvctl(c.args);
        EXPECT_EQ(run.exitCode, c.exit) << run.err.toStdString();
        const QStringList lines = QString::fromUtf8(run.out).split(QRegularExpression("\r?\n"));
        EXPECT_EQ(lines.mid(0, c.lines.size()), c.lines);
    }
    // The report carries the table in the same words.
    const auto run = kvctl({"show", "table.dat", "--json"});
    const QJsonObject table = run.report["table"].toObject();
    EXPECT_EQ(table["channels"].toArray()[0].toObject()["cells"].toArray()[2].toString(),
              a ? "L2" : "MID");
    EXPECT_EQ(table["set_mode"].toArray()[a ? 5 : 3].toObject()["value"].toString(),
              a ? "9600bps" : "4800bps");

    // From the modem: the words a Receive shows.
    kvtest::EmulatedModem<typename Side::Machine> modem{2, Side::golden()};
    const auto fromModem = kvctl({"show", "--model", Side::model, "--port", "2", "--json"});
    EXPECT_EQ(fromModem.exitCode, 0) << fromModem.err.toStdString();
    const QJsonArray rows = fromModem.report["table"].toObject()["channels"].toArray();
    EXPECT_EQ(rows[a ? 2 : 1].toObject()["cells"].toArray()[0].toString(),
              a ? "229.5130" : "224.0125");
}

TYPED_TEST(FileVerbs, Import) {
    using Side = TypeParam;
    const bool a = isA(Side::model);
    kvtest::writeFile("table.dat", Side::file());
    const auto shown = kvctl({"show", "table.dat", "--format", "csv"});
    ASSERT_EQ(shown.exitCode, 0);
    const QByteArray csv = shown.out;
    const auto withRow = [&](const QString& row) {
        QByteArray c = csv;
        const qsizetype at = c.indexOf("\r\n2,");
        return c.left(at + 2) + row.toUtf8() + c.mid(c.indexOf("\r\n", at + 2));
    };
    const struct {
        const char* what;
        QByteArray csv;
        QStringList extra;
        int exit;
        QString message;
    } cases[] = {
        {"what show writes", csv, {"--base", "table.dat"}, 0, "File SaveAs [ out.dat ]"},
        {"outside the limits",
         withRow(a ? "2,236.0000,225,L1,4800,ON,2400,L1" : "2,236,225,HIGH,4800,ON,2400"),
         {},
         2,
         "row 3, column 2 (RX Frq.): 236" + QString(a ? ".0000" : "") +
             " lies outside 223.0000 to 235.0000 MHz"},
        {"production limits",
         withRow(a ? "2,240.0000,225,L1,4800,ON,2400,L1" : "2,240,225,HIGH,4800,ON,2400"),
         {"--production"},
         0,
         "File SaveAs [ out.dat ]"},
        {"no number",
         withRow(a ? "2,224,2 25,L1,4800,ON,2400,L1" : "2,224,2 25,HIGH,4800,ON,2400"),
         {},
         2,
         "row 3, column 3 (TX Frq.): '2 25' is no frequency in MHz"},
        {"no item",
         withRow(a ? "2,224,225,L7,4800,ON,2400,L1" : "2,224,225,HUGE,4800,ON,2400"),
         {},
         2,
         a ? "row 3, column 4 (TX Power): 'L7' is not one of L1, L2, L3, L4, L5"
           : "row 3, column 4 (TX Power): 'HUGE' is not one of HIGH, MID, LOW"},
        {"a stray quote", withRow("2,\"224,225"), {}, 2, "row 3, column 2: a quote is not closed"},
        {"a channel twice",
         withRow(a ? "1,,,,,,," : "1,,,,,,"),
         {},
         2,
         "row 3, column 1 (CH): channel 1 has a row already"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove("out.dat");
        kvtest::writeFile("table.csv", c.csv);
        const auto run = kvctl(
            QStringList{"import", "table.csv", "--model", Side::model, "-o", "out.dat", "--json"} +
            c.extra);
        EXPECT_EQ(run.exitCode, c.exit) << run.err.toStdString();
        EXPECT_EQ(run.report["message"].toString(), c.message);
        EXPECT_EQ(QFile::exists("out.dat"), c.exit == 0) << "a refused table writes nothing";
    }
    // The round trip gives the file back byte for byte.
    kvtest::writeFile("table.csv", csv);
    ASSERT_EQ(kvctl({"import", "table.csv", "--model", Side::model, "-o", "out.dat"}).exitCode, 0);
    EXPECT_EQ(kvtest::readFile("out.dat"), Side::file());
    if (!a) {  // 6.25 kHz steps come back whole, and a frequency no step divides is refused
        kvtest::writeFile("golden.dat", kvtest::testData("kv93x_settings.dat"));
        kvtest::writeFile("golden.csv", kvctl({"show", "golden.dat", "--format", "csv"}).out);
        ASSERT_EQ(kvctl({"import", "golden.csv", "--model", Side::model, "--base", "golden.dat",
                         "-o", "again.dat"})
                      .exitCode,
                  0);
        EXPECT_EQ(kvtest::readFile("again.dat"), kvtest::testData("kv93x_settings.dat"));
        kvtest::writeFile("table.csv", withRow("2,223.001,225,HIGH,4800,ON,2400"));
        const auto run = kvctl({"import", "table.csv", "--model", Side::model, "-o", "out.dat"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("row 3, column 2 (RX Frq.): no reference step"))
            << run.err.toStdString();
    }
}

TYPED_TEST(FileVerbs, PrintWritesThePdfWithoutADisplay) {
    using Side = TypeParam;
    kvtest::writeFile("table.dat", Side::file());
    const auto run = kvctl({"print", "table.dat", "--pdf", "list.pdf", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.report["output_files"].toArray()[0].toString(), "list.pdf");
    QProcess text;
    text.start("pdftotext", {"list.pdf", "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(page.contains(isA(Side::model) ? "KV417R Setting Data List"
                                               : "KV935R/938R Setting Data List"));
    EXPECT_TRUE(page.contains("[ table.dat ]")) << page.toStdString();
    // An unwritable PDF is an output failure.
    const auto refused = kvctl({"print", "table.dat", "--pdf", "/nonexistent/list.pdf", "--json"});
    EXPECT_EQ(refused.exitCode, 7);
}

TEST(Kvctl, PortsHelpAndUsage) {
    kvtest::EmulatedModem<kvsim::Kv417r> modem{1};
    const auto ports = kvctl({"ports", "--json"});
    ASSERT_EQ(ports.exitCode, 0) << ports.err.toStdString();
    bool listed = false;
    for (const QJsonValue& p : ports.report["ports"].toArray())
        if (p.toObject()["device"].toString().toStdString() == modem.devicePath())
            listed = p.toObject()["com"].toArray() == QJsonArray{1};
    EXPECT_TRUE(listed) << ports.out.toStdString();

    for (const QString verb :
         {"read", "write", "verify", "show", "import", "erase", "print", "ports"}) {
        const auto help = kvctl({verb, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.startsWith("usage: kvctl " + verb.toUtf8())) << help.out.toStdString();
    }
    EXPECT_EQ(kvctl({"--version"}).out, "kvctl " KVCTL_TEST_VERSION "\n");
    const struct {
        QStringList args;
        QString message;
    } usage[] = {
        {{"frobnicate", "--json"}, "unknown verb 'frobnicate'"},
        {{"write", "--model", "KV417R", "--port", "1", "--json"}, "write needs FILE.dat"},
        {{"read", "--model", "KV999R", "--port", "1", "-o", "x.dat", "--json"},
         "unknown model 'KV999R'"},
        {{"read", "--model", "KV417R", "--port", "0", "-o", "x.dat", "--json"},
         "--port takes a port number"},
    };
    for (const auto& u : usage) {
        const auto run = kvctl(u.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.report["message"].toString().startsWith(u.message))
            << run.report["message"].toString().toStdString();
    }
}

TEST(Kvctl, SchemaCheckRefusesWhatTheSchemaForbids) {
    const auto run = kvctl({"show", "--json", "none.dat"});
    ASSERT_FALSE(run.report.isEmpty());
    ASSERT_TRUE(kvtest::schemaViolation(run.report, kvtest::reportSchema()).isEmpty());
    const auto broken = [&](const char* key, const QJsonValue& v) {
        QJsonObject o = run.report;
        if (v.isUndefined())
            o.remove(key);
        else
            o[key] = v;
        return !kvtest::schemaViolation(o, kvtest::reportSchema()).isEmpty();
    };
    EXPECT_TRUE(broken("colour", "blue")) << "an unknown key";
    EXPECT_TRUE(broken("exit_code", "2")) << "a wrong type";
    EXPECT_TRUE(broken("exit_code", 9)) << "a value outside the list";
    EXPECT_TRUE(broken("bytes_sent", -1)) << "below the minimum";
    EXPECT_TRUE(broken("message", QJsonValue::Undefined)) << "a missing key";
    EXPECT_TRUE(broken("differences", QJsonArray{QJsonObject{{"field", 1}}})) << "inside an item";

    // Through the references: an array of reports, and a station's unit around a report.
    const QJsonObject reports = kvtest::schemaDefinition("reports");
    const QJsonObject unit = kvtest::schemaDefinition("unit");
    QJsonObject bad = run.report;
    bad.remove("message");
    EXPECT_TRUE(kvtest::schemaViolation(QJsonArray{run.report, run.report}, reports).isEmpty());
    EXPECT_FALSE(kvtest::schemaViolation(QJsonArray{run.report, bad}, reports).isEmpty());
    const QJsonObject line{{"station_start", "2026-01-01T00:00:00.000Z"},
                           {"time", "2026-01-01T00:00:05.000Z"},
                           {"port", "1"},
                           {"unit", QJsonValue::Null},
                           {"done", false}};
    QJsonObject good = line, wrong = line;
    good["report"] = run.report;
    wrong["report"] = bad;
    EXPECT_TRUE(kvtest::schemaViolation(good, unit).isEmpty());
    EXPECT_FALSE(kvtest::schemaViolation(wrong, unit).isEmpty());
}

}  // namespace
