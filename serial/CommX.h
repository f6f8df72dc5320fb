#pragma once
// TCommX: one serial port for a window. Opens "COM<n>", applies the line settings,
// sends through a transmit worker thread and reads with a time-out while the UI stays live.
#include <QObject>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/errors.h"

// Carries the component's message as it stands; `detail` may add a second line for the
// error box (device path and what to do about the system's reason).
class ECommError : public platform::EDetailedError {
  public:
    using platform::EDetailedError::EDetailedError;
};

enum TCommParityBits { cpbNone = 0, cpbOdd = 1, cpbEven = 2 };
enum TCommStopBits { csb1 = 0, csb1p5 = 1, csb2 = 2 };
enum TCommFlowCtrls {
    cfcRtsCts = 0,
    cfcDtrDsr = 1,
    cfcXonXoff = 2,
    cfcHalfHigh = 3,
    cfcHalfLow = 4,
    cfcNone = 5
};

class TCustomCommX;
using TCommReceiveEvent = std::function<void(TCustomCommX* Sender, int ReceiveSize)>;
using TCommBreakEvent = std::function<void(TCustomCommX* Sender)>;
using TCommErrEvent = std::function<void(TCustomCommX* Sender, int ErrorState)>;

namespace commx {
struct Shared;     // state the worker threads share with the component; outlives it
class PortDriver;  // the operating-system side of one open port (termios back end or a test seam)
// Makes the driver used by the next Open for a device path; tests replace it to reach
// line errors, break and modem-control lines that a pseudo-terminal cannot produce.
using DriverFactory = std::function<std::unique_ptr<PortDriver>(const std::string& device)>;

// An event of the component: assigned and called like the handler it holds, and it lets
// the worker threads see whether one is assigned, so that nobody wakes the UI thread for a
// notification that no handler takes.
template <class Handler>
class EventProperty {
  public:
    EventProperty() = default;
    EventProperty(const EventProperty&) = delete;
    EventProperty& operator=(const EventProperty&) = delete;

    EventProperty& operator=(Handler handler) {
        handler_ = std::move(handler);
        assigned_->store(static_cast<bool>(handler_));
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }
    template <class... Args>
    void operator()(Args&&... args) const {
        handler_(std::forward<Args>(args)...);
    }
    // The workers keep this flag, since they may outlive the component.
    std::shared_ptr<const std::atomic<bool>> assigned() const { return assigned_; }

  private:
    Handler handler_;
    std::shared_ptr<std::atomic<bool>> assigned_ = std::make_shared<std::atomic<bool>>(false);
};
}  // namespace commx

class TCustomCommX : public QObject {
    Q_OBJECT
  public:
    explicit TCustomCommX(QObject* owner = nullptr);
    ~TCustomCommX() override;

    virtual bool TransData(const void* Data, int Size);
    virtual int ReceiveData(void* Buffer, int Size);

    void Open();
    void Close();
    bool TransByte(uint8_t Byte);
    int ReceiveByte();
    void PurgeTrans();
    void PurgeReceive();
    int ReceiveCount();
    void SetRts(bool On);
    void SetDtr(bool On);

    bool IsOpen() const;
    uint32_t Handle() const;  // 0xFFFFFFFF while closed

    int PortNo() const;
    // Setting the number goes back to the device "COM<n>" names.
    void setPortNo(int v);
    // The device the next Open opens: the one given by setDevice, else DevicePath(PortNo()).
    std::string Device() const;
    // A device path to open instead of the one the port number names (a command line's
    // "--port /dev/ttyUSB0"); an empty path goes back to the port number.
    void setDevice(const std::string& path);
    int BitRate() const;
    void setBitRate(int v);
    int CharSize() const;
    void setCharSize(int v);
    TCommParityBits ParityBit() const;
    void setParityBit(TCommParityBits v);
    TCommStopBits StopBit() const;
    void setStopBit(TCommStopBits v);
    TCommFlowCtrls FlowCtrl() const;
    void setFlowCtrl(TCommFlowCtrls v);
    int TimeOutTrans() const;
    void setTimeOutTrans(int v);
    int TimeOutReceive() const;
    void setTimeOutReceive(int v);
    char XonChar() const;
    void setXonChar(char v);
    char XoffChar() const;
    void setXoffChar(char v);
    int BufLenTrans() const;
    void setBufLenTrans(int v);
    int BufLenReceive() const;
    void setBufLenReceive(int v);

    commx::EventProperty<TCommReceiveEvent> OnReceive;
    commx::EventProperty<TCommBreakEvent> OnBreak;
    commx::EventProperty<TCommErrEvent> OnError;

    // The device path that "COM<n>" names: $KVPROG_COM<n> when set, else /dev/ttyS<n-1>;
    // empty for n below 1.
    static std::string DevicePath(int portNo);
    // Test seam: the factory that makes the port driver at Open (nullptr restores termios).
    static void setDriverFactory(commx::DriverFactory factory);

    // Worker threads of all components that have not ended yet. Workers end by themselves
    // about a second after the Close that stopped them.
    static int activeWorkerCount();
    // Waits up to `ms` milliseconds for every worker to end and joins their system threads;
    // true when none is left.
    static bool waitForWorkers(int ms);

  private:
    // `live`: the fixed waits keep processing events (not from the destructor, where the
    // owner may be half destroyed).
    void closePort(bool live);
    void startThreads();
    void dispatchNotifications();
    void dispatch(int message, int param, uint64_t session);
    void reportErrorsHere(commx::PortDriver& driver);
    // Sleeps in the event loop until something happens: an event, the doorbell of the
    // workers, or the deadline.
    void waitForPort(std::chrono::steady_clock::time_point deadline);

    struct Impl;
    std::unique_ptr<Impl> d;
};

class TCommX : public TCustomCommX {
    Q_OBJECT
  public:
    using TCustomCommX::TCustomCommX;
};
