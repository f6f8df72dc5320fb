#include "model_a/printlist.h"

#include <QStringList>
#include <algorithm>

#include "platform/canvas.h"
#include "platform/localefmt.h"

namespace kva {
namespace {

// Text of `index` in `texts`, or `fallback` when the index lies outside the list (files
// may hold any value).
QString pick(const QStringList& texts, int32_t index, const QString& fallback = {}) {
    if (index < 0 || index >= texts.size()) return fallback;
    return texts[index];
}

// Two-valued fields print their first text for 0 and the second for anything else.
QString either(int32_t value, const char* zero, const char* other) {
    return QString::fromLatin1(value != 0 ? other : zero);
}

// Positions in units of W and H, measured once the font is set.
class Page {
  public:
    explicit Page(platform::TCanvas& canvas)
        : c_(canvas),
          w_(canvas.textWidth(QStringLiteral("W"))),
          h_(canvas.textHeight(QStringLiteral("W"))) {}

    void text(int x, int y, const QString& s) {
        if (!s.isEmpty()) c_.textOut(x * w_, y * h_, s);
    }
    void rule(int y) {
        c_.moveTo(1 * w_, y * h_);
        c_.lineTo(80 * w_, y * h_);
    }

  private:
    platform::TCanvas& c_;
    int w_;
    int h_;
};

void drawHeader(Page& page, const QString& fileName, const QDateTime& now) {
    page.text(3, 2, QStringLiteral("KORVAN ELECTRONICS IND.CO.,LTD."));
    page.text(
        60, 2,
        platform::shortDate(now.date()) + QStringLiteral("  ") + platform::longTime(now.time()));
    page.rule(4);
    page.text(25, 5,
              QStringLiteral("KV417R Setting Data List") + QStringLiteral("     [ ") +
                  fileNamePart(fileName) + QStringLiteral(" ]"));
    page.rule(7);
}

struct Column {
    const char* heading;
    int headingX;
    int valueX;
};
constexpr Column kColumns[] = {
    {"CH", 3, 3},          {"RX Frq.[MHz]", 7, 8}, {"TX Frq.[MHz]", 21, 22}, {"TX Power", 35, 37},
    {"Baud-Rate", 45, 45}, {"D/A", 56, 56},        {"MODEM BR", 61, 62},     {"SQL", 72, 72},
};

void drawChannel(Page& page, int n, const TChData& ch) {
    static const QStringList power{"L1", "L2", "L3", "L4", "L5"};
    static const QStringList br{"4800bps", "2400/1200bps"};
    static const QStringList da{"OFF", "ON"};
    static const QStringList mbr{"2400bps", "1200bps"};
    static const QStringList sql{"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};

    const int y = 11 + n;
    page.text(kColumns[0].valueX, y, QString::asprintf("%2d", n));
    if (ch.Used != 1) return;
    page.text(kColumns[1].valueX, y, platform::formatFixed(ch.RxFrq, 3, 4));
    page.text(kColumns[2].valueX, y, platform::formatFixed(ch.TxFrq, 3, 4));
    page.text(kColumns[3].valueX, y, pick(power, ch.Power));
    page.text(kColumns[4].valueX, y, pick(br, ch.BR));
    page.text(kColumns[5].valueX, y, pick(da, ch.DA));
    page.text(kColumns[6].valueX, y, pick(mbr, ch.MBR));
    page.text(kColumns[7].valueX, y, pick(sql, ch.SQL));
}

void drawChannels(Page& page, const TSetData& data) {
    for (const Column& col : kColumns)
        page.text(col.headingX, 10, QString::fromLatin1(col.heading));
    for (int n = 1; n <= kChannels; ++n) drawChannel(page, n, data.Ch[n - 1]);
}

void drawSetMode(Page& page, const TSetMode& m) {
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

QString fileNamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QChar('/')), path.lastIndexOf(QChar('\\')));
    return path.mid(cut + 1);
}

void printSettingList(platform::TCanvas& canvas, const TSetData& data, const QString& fileName,
                      const QDateTime& now) {
    canvas.beginDoc();
    canvas.setFontColour(Qt::black);
    canvas.setPenColour(Qt::black);
    canvas.setFont(QStringLiteral("Arial"), 10);
    Page page(canvas);
    drawHeader(page, fileName, now);
    drawChannels(page, data);
    drawSetMode(page, data.Mode);
    canvas.endDoc();
}

}  // namespace kva
