#pragma once
// What a window takes out of reach while one of its modem commands runs: the controls the
// command reads or replaces. They come back afterwards, with the keyboard focus where it
// was, so nothing typed meanwhile is lost or shown as if it had been sent.
#include <QList>
#include <QPointer>
#include <QWidget>

namespace kvui {

class CommandLock {
  public:
    // Disables each of `widgets` that is enabled now.
    void lock(const QList<QWidget*>& widgets);
    // Enables again what lock() disabled.
    void unlock();

  private:
    QList<QPointer<QWidget>> locked_;
    QPointer<QWidget> focus_;
};

}  // namespace kvui
