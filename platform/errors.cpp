#include "platform/errors.h"

namespace platform {

QString errorText(const std::exception& e) {
    QString text = QString::fromStdString(e.what());
    if (const auto* detailed = dynamic_cast<const EDetailedError*>(&e);
        detailed && !detailed->detail().empty())
        text += QChar('\n') + QString::fromStdString(detailed->detail());
    return text;
}

void runReporting(const std::function<void()>& handler, const ErrorDisplay& show) {
    try {
        handler();
    } catch (const std::exception& e) {
        show(errorText(e));
    } catch (...) {
        show(QStringLiteral("Unexpected error."));
    }
}

}  // namespace platform
