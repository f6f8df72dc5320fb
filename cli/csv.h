#pragma once
// CSV as RFC 4180 has it: UTF-8, comma-separated, fields with a comma, a double quote, a line
// break or blanks at either end quoted (a quote doubled inside), CRLF between records. The
// reader is strict: a stray quote, an unclosed one, text after a closing quote or bytes that
// are no UTF-8 are errors, named by row (record, counted from 1) and column.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kvctl::csv {

class ParseError : public std::runtime_error {
  public:
    ParseError(int row, int column, const QString& what);
    int row() const { return row_; }
    int column() const { return column_; }

  private:
    int row_;
    int column_;
};

QByteArray write(const QList<QStringList>& records);
// A leading UTF-8 byte-order mark is skipped; a last line break is optional.
QList<QStringList> read(const QByteArray& bytes);

}  // namespace kvctl::csv
