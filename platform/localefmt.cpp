#include "platform/localefmt.h"

#include <QLocale>
#include <QRegularExpression>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {

namespace {

std::atomic<char16_t> separatorOverride{0};

// The pins of tests; the tools never set them.
struct Pins {
    std::mutex lock;
    std::optional<QLocale> locale;
    std::function<QDateTime()> clock;
};
Pins& pins() {
    static Pins p;
    return p;
}

}  // namespace

QLocale locale() {
    Pins& p = pins();
    const std::lock_guard guard(p.lock);
    return p.locale ? *p.locale : QLocale::system();
}

QDateTime currentDateTime() {
    std::function<QDateTime()> clock;
    {
        Pins& p = pins();
        const std::lock_guard guard(p.lock);
        clock = p.clock;
    }
    return clock ? clock() : QDateTime::currentDateTime();
}

void setLocaleForTesting(const std::optional<QLocale>& pinned) {
    Pins& p = pins();
    const std::lock_guard guard(p.lock);
    p.locale = pinned;
}

void setClockForTesting(std::function<QDateTime()> clock) {
    Pins& p = pins();
    const std::lock_guard guard(p.lock);
    p.clock = std::move(clock);
}

QString shortDate(const QDate& date) {
    return locale().toString(date, QLocale::ShortFormat);
}

namespace {

// A time format without its zone name ("t"), the brackets around it and the blanks or comma
// that part it from the rest: "h:mm:ss AP t" gives "h:mm:ss AP", "H:mm:ss (t)" "H:mm:ss",
// "t HH:mm:ss" "HH:mm:ss". Quoted text stays as it is.
QString withoutZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QChar('\'')) quoted = !quoted;
        if (quoted || c != QChar('t')) {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == QChar('t')) ++i;
        if (out.endsWith(QChar('(')) || out.endsWith(QChar('['))) {
            out.chop(1);
            if (i + 1 < format.size() &&
                (format[i + 1] == QChar(')') || format[i + 1] == QChar(']')))
                ++i;
        }
        while (out.endsWith(QChar(' ')) || out.endsWith(QChar(','))) out.chop(1);
        if (out.isEmpty()) {
            while (i + 1 < format.size() && format[i + 1] == QChar(' ')) ++i;
        }
    }
    return out;
}

}  // namespace

QString longTime(const QTime& time) {
    // Qt's long format names the time zone; the log and the printed list show the time only.
    const QLocale l = locale();
    return l.toString(time, withoutZone(l.timeFormat(QLocale::LongFormat)));
}

QString dateAndTime(const QDateTime& when) {
    return shortDate(when.date()) + QStringLiteral("  ") + longTime(when.time());
}

void pinDecimalSeparator(QChar separator) {
    separatorOverride = separator.unicode();
}

void setDecimalSeparatorForTesting(QChar separator) {
    pinDecimalSeparator(separator);
}

QChar decimalSeparator() {
    if (const char16_t pinned = separatorOverride.load()) return QChar(pinned);
    const QString sep = locale().decimalPoint();
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
