#pragma once
#include <QString>
#include <functional>

class QObject;
class QWidget;
class TCustomCommX;

namespace platform {

// One modem command at a time on a port component. A command takes the lock before it
// changes anything; while another holds it, the new command is refused.
class CommandLock {
  public:
    explicit CommandLock(const QObject* comm);
    ~CommandLock();
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

    bool acquired() const { return acquired_; }
    static bool isBusy(const QObject* comm);
    // What the user is told when a command is refused.
    static QString refusal();

  private:
    const QObject* comm_;
    bool acquired_;
};

// Runs one modem command inside the error display, holding the lock on `comm` for its
// length. While another command holds it, the user is told so and nothing runs.
void runExclusive(QWidget* parent, const QObject* comm, const std::function<void()>& command);

// The port for one command: opened on construction (ECommError when that fails), closed on
// every way out, after any error box of the command has been shown.
class PortSession {
  public:
    explicit PortSession(TCustomCommX& comm);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;
    void close();

  private:
    TCustomCommX& comm_;
    bool open_ = true;
};

}  // namespace platform
