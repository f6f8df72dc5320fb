#include "ui/commandlock.h"

#include <QApplication>
#include <utility>

namespace kvui {

void CommandLock::lock(const QList<QWidget*>& widgets) {
    QWidget* const focus = QApplication::focusWidget();
    for (QWidget* w : widgets) {
        // A control disabled for its own reasons stays so afterwards.
        if (!w->isEnabled()) continue;
        if (focus && (focus == w || w->isAncestorOf(focus))) focus_ = focus;
        w->setEnabled(false);
        locked_ << w;
    }
}

void CommandLock::unlock() {
    for (const QPointer<QWidget>& w : std::exchange(locked_, {}))
        if (w) w->setEnabled(true);
    if (const QPointer<QWidget> focus = std::exchange(focus_, nullptr)) focus->setFocus();
}

}  // namespace kvui
