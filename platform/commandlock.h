#pragma once
#include <QString>

class QObject;

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

}  // namespace platform
