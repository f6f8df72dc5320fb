#pragma once
// The application's error display for handlers: the message of any exception that escapes
// a handler (serial errors, file errors, printing errors) is shown in an error box. No
// exception crosses the Qt event loop.
#include <functional>

#include "platform/errors.h"

class QWidget;

namespace platform {

// Runs `handler` inside the error display of `parent`.
void guarded(QWidget* parent, const std::function<void()>& handler);

// Shows a text in an error box over `parent`.
ErrorDisplay errorDisplay(QWidget* parent);

}  // namespace platform
