#pragma once
// What the parts of TCustomCommX share: the component's state behind its pointer, and the
// small guards and waits of the UI thread. Private to serial/.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include <QSocketNotifier>

#include "platform/tick.h"
#include "serial/CommX.h"
#include "serial/commshared.h"
#include "serial/commthreads.h"
#include "serial/portdriver.h"

namespace commx {

inline void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The fixed waits of Open and Close: the windows stay live through them.
inline void waitLive(int ms) {
    platform::WaitMs(static_cast<uint32_t>(ms));
}

// Marks the UI thread as waiting for the workers, so their hand-overs do not wait for it.
class UiWaiting {
  public:
    explicit UiWaiting(Shared& s) : s_(s) { s_.setUiWaiting(true); }
    ~UiWaiting() { s_.setUiWaiting(false); }
    UiWaiting(const UiWaiting&) = delete;
    UiWaiting& operator=(const UiWaiting&) = delete;

  private:
    Shared& s_;
};

// Holds a count of the UI thread's waits up for its scope, so the workers ring for it.
class Raised {
  public:
    explicit Raised(std::atomic<int>& count) : count_(count) { ++count_; }
    ~Raised() { --count_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

  private:
    std::atomic<int>& count_;
};

}  // namespace commx

struct TCustomCommX::Impl {
    std::shared_ptr<commx::Shared> shared = std::make_shared<commx::Shared>();
    std::shared_ptr<commx::PortDriver> driver;  // set exactly while the port is open
    uint64_t session = 0;
    std::shared_ptr<TCommTransThread> trans;
    std::shared_ptr<TCommReceiveThread> receive;
    std::unique_ptr<QSocketNotifier> hiddenWindow;
    bool closing = false;  // inside Close, before the port is released

    commx::LineSettings record;
    commx::Timeouts timeouts;

    int portNo = 1;
    std::string device;  // a path given directly; empty: the device COM<portNo> names
    int bitRate = 9600;
    int charSize = 8;
    TCommParityBits parity = cpbNone;
    TCommStopBits stopBits = csb1;
    TCommFlowCtrls flow = cfcRtsCts;
    int timeOutTrans = 3000;
    int timeOutReceive = 3000;
    char xonChar = 17;
    char xoffChar = 19;
    int bufLenTrans = 2048;
    int bufLenReceive = 2048;

    bool reading = false;        // the one read context is in use
    uint64_t receivePurges = 0;  // a purge ends a waiting read

    // Each hands one line setting to the open port's driver, or throws that setting's
    // message (commxsettings.cpp).
    void applyBitRate();
    void applyCharSize();
    void applyParity();
    void applyStopBits();
    void applyFlow();
    void applyTimeouts();
    void applyXon();
    void applyXoff();
    void applyQueueSizes();

  private:
    void handRecordOver(const char* message);
};
