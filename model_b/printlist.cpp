#include "model_b/printlist.h"

#include <QStringList>

#include "core/listpage.h"

namespace kvb {
namespace {

using kvcore::either;
using kvcore::ListColumn;
using kvcore::ListPage;
using kvcore::pick;

constexpr ListColumn kColumns[] = {
    {"CH", 3, 3},          {"RX Frq.[MHz]", 7, 8}, {"TX Frq.[MHz]", 21, 22}, {"TX Power", 35, 36},
    {"Baud-Rate", 45, 45}, {"D/A", 56, 56},        {"MODEM BR", 61, 62},
};

void drawChannel(ListPage& page, int n, const TChData& ch) {
    static const QStringList power{"HIGH", "MID ", "LOW "};

    const int y = 11 + n;
    page.text(kColumns[0].valueX, y, QString::asprintf("%2d", n));
    if (ch.Used != 1) return;
    // RxRef and TxRef stay off the page.
    page.text(kColumns[1].valueX, y, frqText(ch.RxFrq));
    page.text(kColumns[2].valueX, y, frqText(ch.TxFrq));
    page.text(kColumns[3].valueX, y, pick(power, ch.Power));
    page.text(kColumns[4].valueX, y, kvcore::brText(ch.BR));
    page.text(kColumns[5].valueX, y, kvcore::daText(ch.DA));
    page.text(kColumns[6].valueX, y, kvcore::mbrText(ch.MBR));
}

void drawChannels(ListPage& page, const TSetData& data) {
    page.headings(kColumns);
    for (int n = 1; n <= kChannels; ++n) drawChannel(page, n, data.Ch[n - 1]);
}

void drawSetMode(ListPage& page, const TSetMode& m) {
    // In the item order of RG_SB and RG_SP, which differs from the KV417R's.
    static const QStringList sb{"4800 bps  ", "2400 bps  ", "1200 bps  "};
    static const QStringList sp{"EVEN      ", "ODD       ", "NONE      "};

    // Each label carries its own colon, padded by eye in a proportional font; printed forms
    // in use show them so, the misspelt "Serail" included.
    const struct {
        int y;
        const char* label;
        QString value;
    } lines[] = {
        {31, "Data/Audio Signal       : ", either(m.Data, "H:Data   L:Audio", "L:Data   H:Audio")},
        {32, "Busy Signal                : ", either(m.Busy, "L:BUSY", "H:BUSY")},
        {33, "FSQC(Frq.SQC)          : ", either(m.FSQC, "OFF", "ON")},
        {34, "Serail Bau-Rate          : ", pick(sb, m.SB, sb[0])},
        {35, "Serial Parity               : ", pick(sp, m.SP, sp[0])},
        {36, "TOT(Time Out Timer)  : ", kvcore::totText(m.Tot)},
        {37, "SAVE Time                : ", kvcore::saveText(m.Save)},
    };
    for (const auto& line : lines) {
        page.text(3, line.y, QString::fromLatin1(line.label));
        page.text(18, line.y, line.value);
    }
}

}  // namespace

void printSettingList(platform::TCanvas& canvas, const TSetData& data, const QString& fileName,
                      const QDateTime& now) {
    ListPage page(canvas);
    page.header(QStringLiteral("KV935R/938R Setting Data List"), fileName, now);
    drawChannels(page, data);
    drawSetMode(page, data.Mode);
    page.finish();
}

}  // namespace kvb
