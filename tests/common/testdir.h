#pragma once
#include <QString>

namespace kvtest {

// Path inside the build folder where tests leave screenshots and PDFs for people to look at.
QString artefactPath(const QString& fileName);

// The fresh temporary folder that is the current folder of the running test.
QString currentTestDir();

// Writes `bytes` into a file of the current test folder.
void writeFile(const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& name);

}  // namespace kvtest
