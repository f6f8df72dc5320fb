#pragma once
// The port for one modem command: opened when the command starts, closed on every way out,
// after any error box of the command has been shown.
class TCustomCommX;

namespace kvcore {

class PortSession {
  public:
    // Opens the port; ECommError when that fails (nothing is open then).
    explicit PortSession(TCustomCommX& comm);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    // Closes now; the destructor then does nothing.
    void close();

  private:
    TCustomCommX& comm_;
    bool open_ = true;
};

}  // namespace kvcore
