#pragma once
// The errors the tools show in their error box, and how any exception becomes the box's
// text. No widgets here: the box itself is shown by the caller (see guard.h).
#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace platform {

// An error whose box may add a second line to its message, such as the device path and
// what to do about the system's reason.
class EDetailedError : public std::runtime_error {
  public:
    explicit EDetailedError(const std::string& message, std::string detail = {})
        : std::runtime_error(message), detail_(std::move(detail)) {}
    const std::string& detail() const { return detail_; }

  private:
    std::string detail_;
};

// The text the error box shows for an exception: its message, and its detail on a second
// line when it has one.
QString errorText(const std::exception& e);

// Runs `handler` and hands the text of any exception that escapes it to `show`.
using ErrorDisplay = std::function<void(const QString& text)>;
void runReporting(const std::function<void()>& handler, const ErrorDisplay& show);

}  // namespace platform
