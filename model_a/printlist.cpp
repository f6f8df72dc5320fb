#include "model_a/printlist.h"

#include <QStringList>

#include "core/frequency.h"
#include "core/listpage.h"

namespace kva {
namespace {

using kvcore::either;
using kvcore::ListColumn;
using kvcore::ListPage;
using kvcore::pick;

constexpr ListColumn kColumns[] = {
    {"CH", 3, 3},          {"RX Frq.[MHz]", 7, 8}, {"TX Frq.[MHz]", 21, 22}, {"TX Power", 35, 37},
    {"Baud-Rate", 45, 45}, {"D/A", 56, 56},        {"MODEM BR", 61, 62},     {"SQL", 72, 72},
};

void drawChannel(ListPage& page, int n, const TChData& ch) {
    static const QStringList power{"L1", "L2", "L3", "L4", "L5"};
    static const QStringList sql{"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};

    const int y = 11 + n;
    page.text(kColumns[0].valueX, y, QString::asprintf("%2d", n));
    if (ch.Used != 1) return;
    page.text(kColumns[1].valueX, y, kvcore::frqText(ch.RxFrq));
    page.text(kColumns[2].valueX, y, kvcore::frqText(ch.TxFrq));
    page.text(kColumns[3].valueX, y, pick(power, ch.Power));
    page.text(kColumns[4].valueX, y, kvcore::brText(ch.BR));
    page.text(kColumns[5].valueX, y, kvcore::daText(ch.DA));
    page.text(kColumns[6].valueX, y, kvcore::mbrText(ch.MBR));
    page.text(kColumns[7].valueX, y, pick(sql, ch.SQL));
}

void drawChannels(ListPage& page, const TSetData& data) {
    page.headings(kColumns);
    for (int n = 1; n <= kChannels; ++n) drawChannel(page, n, data.Ch[n - 1]);
}

void drawSetMode(ListPage& page, const TSetMode& m) {
    static const QStringList sb{"1200 bps  ", "2400 bps  ", "4800 bps  ", "9600 bps  "};
    static const QStringList sp{"NONE      ", "ODD       ", "EVEN      "};

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
        {43, "TOT(Time Out Timer)", kvcore::totText(m.Tot)},
        {44, "SAVE Time", kvcore::saveText(m.Save)},
        // The modem has a single sleep setting.
        {45, "Sleep", kvcore::saveText(0)},
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
