#include "platform/localefmt.h"

#include <QLocale>
#include <QRegularExpression>
#include <atomic>
#include <cmath>
#include <cstdio>

namespace platform {

QString shortDate(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString longTime(const QTime& time) {
    return QLocale::system().toString(time, QLocale::LongFormat);
}

namespace {
std::atomic<char16_t> separatorOverride{0};
}

void pinDecimalSeparator(QChar separator) {
    separatorOverride = separator.unicode();
}

void setDecimalSeparatorForTesting(QChar separator) {
    pinDecimalSeparator(separator);
}

QChar decimalSeparator() {
    if (const char16_t pinned = separatorOverride.load()) return QChar(pinned);
    const QString sep = QLocale::system().decimalPoint();
    return sep.isEmpty() ? QChar('.') : sep.front();
}

QString formatFixed(double value, int width, int precision) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%*.*f", width, precision, value);
    QString text = QString::fromLatin1(buf);
    const QChar sep = decimalSeparator();
    if (sep != QChar('.')) text.replace(QChar('.'), sep);
    return text;
}

std::optional<double> parseDecimal(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const QChar sep = decimalSeparator();
    if (sep != QChar('.')) {
        if (t.contains(QChar('.')) && t.contains(sep)) return std::nullopt;
        t.replace(sep, QChar('.'));
    }
    // Plain decimal notation only: digits with one optional point, an optional sign and
    // exponent; no group separators, no hex, no "inf" or "nan".
    static const QRegularExpression number(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!number.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace platform
