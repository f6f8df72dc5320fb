#include "core/listpage.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/localefmt.h"

namespace kvcore {

QString fileNamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QChar('/')), path.lastIndexOf(QChar('\\')));
    return path.mid(cut + 1);
}

QString pick(const QStringList& texts, int32_t index, const QString& fallback) {
    if (index < 0 || index >= texts.size()) return fallback;
    return texts[index];
}

QString either(int32_t value, const char* zero, const char* other) {
    return QString::fromLatin1(value != 0 ? other : zero);
}

QString brText(int32_t index) {
    static const QStringList texts{"4800bps", "2400/1200bps"};
    return pick(texts, index);
}
QString daText(int32_t index) {
    static const QStringList texts{"OFF", "ON"};
    return pick(texts, index);
}
QString mbrText(int32_t index) {
    static const QStringList texts{"2400bps", "1200bps"};
    return pick(texts, index);
}
QString totText(int32_t index) {
    static const QStringList texts{"OFF       ", " 30  [sec]", " 60  [sec]", " 90  [sec]",
                                   "120  [sec]", "150  [sec]", "180  [sec]", "240  [sec]",
                                   "300  [sec]", "600  [sec]", "900  [sec]", "1200 [sec]"};
    return pick(texts, index, texts[0]);
}
QString saveText(int32_t index) {
    static const QStringList texts{"OFF      ", "0.5 [sec]", "1.0 [sec]", "1.5 [sec]", "2.0 [sec]",
                                   "3.0 [sec]", "5.0 [sec]", "7.0 [sec]", "9.0 [sec]"};
    return pick(texts, index, texts[0]);
}

ListPage::ListPage(platform::TCanvas& canvas) : c_(canvas) {
    c_.beginDoc();
    c_.setFontColour(Qt::black);
    c_.setPenColour(Qt::black);
    c_.setFont(QStringLiteral("Arial"), 10);
    w_ = c_.textWidth(QStringLiteral("W"));
    h_ = c_.textHeight(QStringLiteral("W"));
}

void ListPage::text(int x, int y, const QString& s) {
    if (!s.isEmpty()) c_.textOut(x * w_, y * h_, s);
}

void ListPage::rule(int y) {
    c_.moveTo(1 * w_, y * h_);
    c_.lineTo(80 * w_, y * h_);
}

void ListPage::header(const QString& title, const QString& fileName, const QDateTime& now) {
    text(3, 2, QStringLiteral("KORVAN ELECTRONICS IND.CO.,LTD."));
    text(60, 2, platform::dateAndTime(now));
    rule(4);
    text(25, 5, title + QStringLiteral("     [ ") + fileNamePart(fileName) + QStringLiteral(" ]"));
    rule(7);
}

void ListPage::headings(std::span<const ListColumn> columns) {
    for (const ListColumn& col : columns) text(col.headingX, 10, QString::fromLatin1(col.heading));
}

void ListPage::finish() {
    c_.endDoc();
}

}  // namespace kvcore
