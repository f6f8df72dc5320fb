#pragma once
// One modem command at a time on a port component, for every window that uses the port:
// a second command is refused before it changes anything, a close asked for while a command
// runs happens once it has ended, and each command runs inside the error display. A named
// command on a port whose traces a TraceStore keeps is traced from start to end.
#include <QString>
#include <functional>

#include "platform/errors.h"

class QObject;

namespace kvcore {

class ProtocolTrace;

class CommandRunner {
  public:
    // `comm` is the port component the commands share; `display` shows error texts (the
    // window's error box).
    CommandRunner(const QObject* comm, platform::ErrorDisplay display);
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Runs `command` holding the port for its length. While any command holds the port,
    // the display shows refusal() and nothing runs. An exception that escapes the command
    // is shown by the display.
    void run(const std::function<void()>& command);
    // As run, and traced under `name` ("Receive", "EEPROM INIT") when a TraceStore keeps the
    // port's traces: the trace of a command that tried to open the port goes to the store
    // once it has ended; an escaping error is its result.
    void run(const QString& name, const std::function<void()>& command);

    // True while a command holds the port, whichever window started it.
    bool busy() const;

    // A window asks to close. False: no command holds the port, close at once. True: the
    // window stays for now; when the running command is this runner's, `close` is called
    // once it has ended.
    bool deferClose(std::function<void()> close);

    // What the user is told when a command is refused.
    static QString refusal();

    // The trace of the command running on the port, null when none is traced.
    ProtocolTrace* trace() const;

    // Told true when one of this runner's commands starts and false once it has ended, on
    // every way out (an escaping error included), so a window can lock what the command
    // must not have changed under it. A refused command tells nothing.
    void setBusyChanged(std::function<void(bool busy)> changed);

  private:
    const QObject* comm_;
    platform::ErrorDisplay display_;
    int depth_ = 0;  // commands of this runner on the stack
    std::function<void()> pendingClose_;
    std::function<void(bool)> busyChanged_;
};

}  // namespace kvcore
