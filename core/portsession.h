#pragma once
// The port for one modem command: opened when the command starts, closed on every way out,
// after any error box of the command has been shown. The opening (or the failure to open)
// and the closing go into the trace recording on the component, when one is.
class TCustomCommX;

namespace kvcore {

// The modem line both tools use: even parity and no flow control, the component's other
// properties (9600 bit/s, 8 data bits, 1 stop bit) at their defaults.
void setModemLine(TCustomCommX& comm);

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
