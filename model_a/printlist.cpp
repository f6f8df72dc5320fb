#include "model_a/printlist.h"

#include <QStringList>

#include "core/frequency.h"
#include "ui/listpage.h"

namespace kva {
namespace {

using kvui::either;
using kvui::ListPage;
using kvui::pick;

struct Column {
    const char* heading;
    int headingX;
    int valueX;
};
constexpr Column kColumns[] = {
    {"CH", 3, 3},          {"RX Frq.[MHz]", 7, 8}, {"TX Frq.[MHz]", 21, 22}, {"TX Power", 35, 37},
    {"Baud-Rate", 45, 45}, {"D/A", 56, 56},        {"MODEM BR", 61, 62},     {"SQL", 72, 72},
};

void drawChannel(ListPage& page, int n, const TChData& ch) {
    static const QStringList power{"L1", "L2", "L3", "L4", "L5"};
    static const QStringList br{"4800bps", "2400/1200bps"};
    static const QStringList da{"OFF", "ON"};
    static const QStringList mbr{"2400bps", "1200bps"};
    static const QStringList sql{"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};

    const int y = 11 + n;
    page.text(kColumns[0].valueX, y, QString::asprintf("%2d", n));
    if (ch.Used != 1) return;
    page.text(kColumns[1].valueX, y, kvcore::frqText(ch.RxFrq));
    page.text(kColumns[2].valueX, y, kvcore::frqText(ch.TxFrq));
    page.text(kColumns[3].valueX, y, pick(power, ch.Power));
    page.text(kColumns[4].valueX, y, pick(br, ch.BR));
    page.text(kColumns[5].valueX, y, pick(da, ch.DA));
    page.text(kColumns[6].valueX, y, pick(mbr, ch.MBR));
    page.text(kColumns[7].valueX, y, pick(sql, ch.SQL));
}

void drawChannels(ListPage& page, const TSetData& data) {
    for (const Column& col : kColumns)
        page.text(col.headingX, 10, QString::fromLatin1(col.heading));
    for (int n = 1; n <= kChannels; ++n) drawChannel(page, n, data.Ch[n - 1]);
}

void drawSetMode(ListPage& page, const TSetMode& m) {
    static const QStringList sb{"1200 bps  ", "2400 bps  ", "4800 bps  ", "9600 bps  "};
    static const QStringList sp{"NONE      ", "ODD       ", "EVEN      "};
    static const QStringList tot{"OFF       ", " 30  [sec]", " 60  [sec]", " 90  [sec]",
                                 "120  [sec]", "150  [sec]", "180  [sec]", "240  [sec]",
                                 "300  [sec]", "600  [sec]", "900  [sec]", "1200 [sec]"};
    static const QStringList save{"OFF      ", "0.5 [sec]", "1.0 [sec]", "1.5 [sec]", "2.0 [sec]",
                                  "3.0 [sec]", "5.0 [sec]", "7.0 [sec]", "9.0 [sec]"};

    const struct {
        int y;
        const char* label;
        QString value;
    } lines[] = {
        {31, "Data/Audio Signal", either(m.Data, "H:Data   L:Audio", "L:Data   H:Audio")},
        {32, "Busy Signal", either(m.Busy, "L:Busy", "H:Busy")},
        {33, "FSQC(FSK SQC)", either(m.FSQC, "OFF", "ON")},
        {34, "EXT SQC", either(m.EXT, "L:Open", "H:Open")},
        {35, "VCO", either(m.VCO, "Tx off", "Tx on ")},
        {37, "Serail Bau-Rate", pick(sb, m.SB, sb[0])},
        {38, "Serial Parity", pick(sp, m.SP, sp[0])},
        {39, "Serial Data Length", either(m.SD, "7 bit", "8 bit")},
        {40, "Serial Stop bit", either(m.ST, "1 bit", "2 bit")},
        {41, "Remote", either(m.RMT, "DISABLE", "ENABLE")},
        {43, "TOT(Time Out Timer)", pick(tot, m.Tot, tot[0])},
        {44, "SAVE Time", pick(save, m.Save, save[0])},
        // The modem has a single sleep setting.
        {45, "Sleep", save[0]},
    };
    for (const auto& line : lines) {
        page.text(3, line.y, QString::fromLatin1(line.label));
        page.text(17, line.y, QStringLiteral(":"));
        page.text(18, line.y, line.value);
    }
}

}  // namespace

void printSettingList(platform::TCanvas& canvas, const TSetData& data, const QString& fileName,
                      const QDateTime& now) {
    ListPage page(canvas);
    page.header(QStringLiteral("KV417R Setting Data List"), fileName, now);
    drawChannels(page, data);
    drawSetMode(page, data.Mode);
    page.finish();
}

}  // namespace kva
