#pragma once
#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace platform {

// The application's error display for handlers: runs `handler` and shows the message of
// any exception that escapes it (serial errors, file errors, printing errors) in an error
// box. No exception crosses the Qt event loop.
void guarded(QWidget* parent, const std::function<void()>& handler);

// The text the error box shows for an exception.
QString errorText(const std::exception& e);

}  // namespace platform
