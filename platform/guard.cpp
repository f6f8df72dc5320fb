#include "platform/guard.h"

#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace platform {

QString errorText(const std::exception& e) {
    QString text = QString::fromStdString(e.what());
    if (const auto* comm = dynamic_cast<const ECommError*>(&e); comm && !comm->detail().empty())
        text += QChar('\n') + QString::fromStdString(comm->detail());
    return text;
}

void guarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        errorBox(errorText(e), parent);
    } catch (...) {
        errorBox(QStringLiteral("Unexpected error."), parent);
    }
}

}  // namespace platform
