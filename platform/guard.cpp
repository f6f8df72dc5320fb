#include "platform/guard.h"

#include "platform/msgbox.h"

namespace platform {

ErrorDisplay errorDisplay(QWidget* parent) {
    return [parent](const QString& text) { errorBox(text, parent); };
}

void guarded(QWidget* parent, const std::function<void()>& handler) {
    runReporting(handler, errorDisplay(parent));
}

}  // namespace platform
