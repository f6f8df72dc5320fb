#pragma once
#include <QString>
#include <QStringList>
#include <ostream>

// Readable QString values in assertion failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (const QString& s : l) *os << '"' << s.toStdString() << "\", ";
    *os << ']';
}

namespace kvtest {

// Path inside the build folder where tests leave screenshots and PDFs for people to look at.
QString artefactPath(const QString& fileName);

// The fresh temporary folder that is the current folder of the running test.
QString currentTestDir();

// Writes `bytes` into a file of the current test folder.
void writeFile(const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& name);

}  // namespace kvtest
