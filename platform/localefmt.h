#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

namespace platform {

// The system locale's short date and long time formats.
QString shortDate(const QDate& date);
QString longTime(const QTime& time);
QChar decimalSeparator();

// Pins the decimal separator of every frequency text: kvctl writes '.' whatever the locale,
// since its output is read by programs. A null QChar goes back to the system locale's.
void pinDecimalSeparator(QChar separator);
// Tests pin the separator the same way, since QLocale::system() cannot be changed inside a
// running process.
void setDecimalSeparatorForTesting(QChar separator);

// printf-style "%<width>.<precision>f" with the locale's decimal separator in place of '.'.
QString formatFixed(double value, int width, int precision);

// Text to number: blanks around it allowed, the locale's decimal separator (a '.' is
// also taken when the separator is something else). nullopt for anything that is no number.
std::optional<double> parseDecimal(const QString& text);

}  // namespace platform
