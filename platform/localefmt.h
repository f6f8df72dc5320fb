#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

// The locale whose formats the texts follow: the system's, unless a test has pinned one.
QLocale locale();
// The current date and time, unless a test has pinned a clock.
QDateTime currentDateTime();

// The locale's short date and long time formats.
QString shortDate(const QDate& date);
QString longTime(const QTime& time);
// Short date, two blanks, long time: the log's first line and the printed list's header.
QString dateAndTime(const QDateTime& when);
QChar decimalSeparator();

// Pins the decimal separator of every frequency text: kvctl writes '.' whatever the locale,
// since its output is read by programs. A null QChar goes back to the locale's.
void pinDecimalSeparator(QChar separator);
// Tests pin the locale, the clock and the decimal separator here, since QLocale::system()
// cannot be changed inside a running process. nullopt, an empty clock and a null QChar go
// back to the system's.
void setLocaleForTesting(const std::optional<QLocale>& pinned);
void setClockForTesting(std::function<QDateTime()> clock);
void setDecimalSeparatorForTesting(QChar separator);

// printf-style "%<width>.<precision>f" with the locale's decimal separator in place of '.'.
QString formatFixed(double value, int width, int precision);

// Text to number: blanks around it allowed, the locale's decimal separator (a '.' is
// also taken when the separator is something else). nullopt for anything that is no number.
std::optional<double> parseDecimal(const QString& text);

}  // namespace platform
