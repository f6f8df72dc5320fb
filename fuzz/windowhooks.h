#pragma once
// The user at the windows' dialogs and message boxes while a check runs: file dialogs answer
// with the given names in turn (then Cancel), every box is recorded and answered Yes or No
// (OK for the others). Whole files written and read for the checks.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/msgbox.h"

namespace kvfuzz {

class WindowHooks {
  public:
    explicit WindowHooks(QStringList fileNames);
    ~WindowHooks();
    WindowHooks(const WindowHooks&) = delete;
    WindowHooks& operator=(const WindowHooks&) = delete;

    bool answerYes = true;
    QList<platform::MsgRequest> boxes;

  private:
    QStringList fileNames_;
};

// Raise Violation when the file cannot be written or read.
void writeWholeFile(const QString& path, const QByteArray& bytes);
QByteArray readWholeFile(const QString& path);

}  // namespace kvfuzz
