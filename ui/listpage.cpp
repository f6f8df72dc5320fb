#include "ui/listpage.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/localefmt.h"

namespace kvui {

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
    text(60, 2,
         platform::shortDate(now.date()) + QStringLiteral("  ") + platform::longTime(now.time()));
    rule(4);
    text(25, 5, title + QStringLiteral("     [ ") + fileNamePart(fileName) + QStringLiteral(" ]"));
    rule(7);
}

void ListPage::finish() {
    c_.endDoc();
}

}  // namespace kvui
