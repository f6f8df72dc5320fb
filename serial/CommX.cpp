#include "serial/CommX.h"

#include <poll.h>

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "platform/tick.h"
#include "serial/commshared.h"
#include "serial/commthreads.h"
#include "serial/portdriver.h"

namespace {

const char* const kMsgAlreadyOpen = "A port has already been opened.";
const char* const kMsgOpenFailed = "It was open, and it didn't come [ the port ].";
const char* const kMsgBuffer = "The buffer of the port for the communication couldn't be prepared.";
const char* const kMsgSpeed = "An error occurred in the establishment of the communication speed.";
const char* const kMsgCharSize =
    "An error occurred in the establishment of the number of the communication bits.";
const char* const kMsgParity = "An error occurred in the establishment of communication Parity.";
const char* const kMsgStopBits =
    "An error occurred in the establishment of the number of the communication stop bits.";
const char* const kMsgFlow = "It failed by the establishment of the communication flow control.";
const char* const kMsgTimeouts =
    "It failed by the establishment of the communication time out time.";
const char* const kMsgXon = "An error occurred in the establishment of the Xon character.";
const char* const kMsgXoff = "An error occurred in the establishment of the Xoff character.";
const char* const kMsgTransThread = "TransThread couldn't be formed.";
const char* const kMsgReceiveThread = "ReceiveThread couldn't be formed.";

constexpr uint32_t kInvalidHandle = 0xFFFFFFFF;
constexpr int kMaxQueuedChunks = 32;

std::mutex gFactoryMutex;
commx::DriverFactory gFactory;

std::atomic<uint64_t> gSessionCounter{0};

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The fixed waits of Open and Close: the windows stay live through them.
void waitLive(int ms) {
    platform::WaitMs(static_cast<uint32_t>(ms));
}

uint32_t flagsFor(TCommFlowCtrls mode) {
    switch (mode) {
        case cfcRtsCts:
            return 0x2017;
        case cfcDtrDsr:
            return 0x102B;
        case cfcXonXoff:
            return 0x1313;
        case cfcHalfHigh:
            return 0x0013;
        case cfcHalfLow:
            return 0x1013;
        case cfcNone:
            return 0x1013;
    }
    return commx::flag::binary | commx::flag::parity;
}

// The second line of the error box: which device, and what the user can do about it.
std::string openFailureDetail(int portNo, const std::string& device, int err) {
    if (device.empty()) return "COM" + std::to_string(portNo) + " names no serial device.";
    switch (err) {
        case EACCES:
        case EPERM:
            return device +
                   ": permission denied. Join the dialout group (sudo usermod -aG dialout "
                   "$USER) and log in again.";
        case EBUSY:
        case EWOULDBLOCK:
            return device + ": in use by another program.";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return device + ": no such device, or the adapter is unplugged.";
        case ENOTTY:
            return device + ": not a serial device.";
        default:
            return device + ": " + std::strerror(err);
    }
}

std::unique_ptr<commx::PortDriver> makeDriver(const std::string& device) {
    commx::DriverFactory factory;
    {
        std::lock_guard lock(gFactoryMutex);
        factory = gFactory;
    }
    return factory ? factory(device) : commx::makeTermiosDriver(device);
}

// Marks the UI thread as waiting for the workers, so their hand-overs do not wait for it.
class UiWaiting {
  public:
    explicit UiWaiting(commx::Shared& s) : s_(s) { s_.setUiWaiting(true); }
    ~UiWaiting() { s_.setUiWaiting(false); }
    UiWaiting(const UiWaiting&) = delete;
    UiWaiting& operator=(const UiWaiting&) = delete;

  private:
    commx::Shared& s_;
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

}  // namespace

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

    void handRecordOver(const char* message) {
        if (!driver->applySettings(record)) throw ECommError(message);
    }
    void applyBitRate() {
        record.baudRate = static_cast<uint32_t>(bitRate);
        handRecordOver(kMsgSpeed);
    }
    void applyCharSize() {
        record.byteSize = static_cast<uint8_t>(charSize & 0xFF);
        handRecordOver(kMsgCharSize);
    }
    void applyParity() {
        record.parity = static_cast<uint8_t>(parity);
        handRecordOver(kMsgParity);
    }
    void applyStopBits() {
        record.stopBits = static_cast<uint8_t>(stopBits);
        handRecordOver(kMsgStopBits);
    }
    void applyFlow() {
        record.flags = flagsFor(flow);
        record.xonLim = bufLenReceive / 4;
        record.xoffLim = bufLenReceive / 4;
        handRecordOver(kMsgFlow);
    }
    void applyTimeouts() {
        timeouts.readInterval = 0xFFFFFFFF;
        timeouts.readMultiplier = 0;
        timeouts.readConstant = static_cast<uint32_t>(timeOutReceive);
        timeouts.writeMultiplier = 0;
        timeouts.writeConstant = static_cast<uint32_t>(timeOutTrans);
        if (!driver->applyTimeouts(timeouts)) throw ECommError(kMsgTimeouts);
    }
    void applyXon() {
        record.xonChar = xonChar;
        handRecordOver(kMsgXon);
    }
    void applyXoff() {
        record.xoffChar = xoffChar;
        handRecordOver(kMsgXoff);
    }
    void applyQueueSizes() {
        if (!driver->setQueueSizes(bufLenReceive, bufLenTrans)) throw ECommError(kMsgBuffer);
    }
};

TCustomCommX::TCustomCommX(QObject* owner) : QObject(owner), d(std::make_unique<Impl>()) {
    d->shared->flowCtrl.store(d->flow);
    d->shared->timeOutTrans.store(static_cast<uint32_t>(d->timeOutTrans));
    d->shared->receiveHandler = OnReceive.assigned();
    d->shared->breakHandler = OnBreak.assigned();
    d->shared->errorHandler = OnError.assigned();
    // The hidden window: lives on the creating (UI) thread and runs the notifications the
    // workers queue, whenever that thread processes events.
    if (d->shared->doorbell() >= 0) {
        d->hiddenWindow =
            std::make_unique<QSocketNotifier>(d->shared->doorbell(), QSocketNotifier::Read);
        QObject::connect(d->hiddenWindow.get(), &QSocketNotifier::activated, this,
                         [this] { dispatchNotifications(); });
    }
}

TCustomCommX::~TCustomCommX() {
    closePort(false);
    d->shared->componentGone();
    d->hiddenWindow.reset();
}

// ---------------------------------------------------------------------------------------
// Notifications

void TCustomCommX::dispatchNotifications() {
    // Handlers may close the port or open it again; keep what this loop needs.
    const std::shared_ptr<commx::Shared> shared = d->shared;
    shared->clearDoorbell();
    while (auto note = shared->takeNote()) {
        dispatch(note->message, note->param, note->session);
        shared->noteDone(note->id);
    }
}

void TCustomCommX::dispatch(int message, int param, uint64_t session) {
    if (!IsOpen() || session != d->session) return;
    try {
        switch (message) {
            case commx::kNoteCharsArrived:
                if (OnReceive) {
                    const int count = ReceiveCount();
                    if (count != 0) OnReceive(this, count);
                }
                break;
            case commx::kNoteBreak:
                if (OnBreak) OnBreak(this);
                break;
            case commx::kNoteLineError:
                if (OnError) OnError(this, param);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        // Nothing may cross the event loop; the tools assign no handlers that throw.
        qWarning("%s", e.what());
    }
}

void TCustomCommX::reportErrorsHere(commx::PortDriver& driver) {
    // On the UI thread the hand-over is a direct call.
    const int bits = driver.takeErrors() & 0x0E;
    if (bits) dispatch(commx::kNoteLineError, bits, d->session);
}

void TCustomCommX::waitForPort(std::chrono::steady_clock::time_point deadline) {
    // The hidden window's notifier wakes the event loop when the doorbell rings.
    if (QAbstractEventDispatcher::instance()) {
        platform::waitForEvents(deadline);
        return;
    }
    // No event loop on this thread: listen for the doorbell here.
    int timeoutMs = -1;
    if (deadline != platform::kNoDeadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        timeoutMs = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 1 << 30));
    }
    pollfd p{d->shared->doorbell(), POLLIN, 0};
    ::poll(&p, 1, timeoutMs);
    dispatchNotifications();
}

// ---------------------------------------------------------------------------------------
// Open and close

void TCustomCommX::Open() {
    if (IsOpen()) throw ECommError(kMsgAlreadyOpen);
    const std::string device = Device();
    std::shared_ptr<commx::PortDriver> driver;
    int err = ENODEV;
    if (!device.empty()) {
        driver = makeDriver(device);
        if (driver) err = driver->open();
    }
    if (err != 0) throw ECommError(kMsgOpenFailed, openFailureDetail(d->portNo, device, err));

    d->driver = driver;
    d->session = ++gSessionCounter;
    d->shared->setSession(d->session);
    try {
        {
            std::lock_guard lock(d->shared->counterLock);
            d->shared->pendingBytes = 0;
            d->shared->queuedChunks = 0;
        }
        d->applyQueueSizes();
        driver->purgeOutput();
        driver->purgeInput();
        d->record = driver->settings();
        d->record.length = 28;
        d->applyBitRate();
        d->applyCharSize();
        d->applyParity();
        d->applyStopBits();
        d->applyFlow();
        d->applyTimeouts();
        d->applyXon();
        d->applyXoff();
        startThreads();
        waitLive(100);
    } catch (...) {
        Close();
        throw;
    }
}

void TCustomCommX::startThreads() {
    d->trans.reset();
    d->receive.reset();
    try {
        auto trans = std::make_shared<TCommTransThread>(d->shared, d->driver, d->session);
        if (!trans->ready() || !trans->Start()) throw ECommError(kMsgTransThread);
        d->trans = std::move(trans);
    } catch (const std::bad_alloc&) {
        throw ECommError(kMsgTransThread);
    }
    try {
        auto receive = std::make_shared<TCommReceiveThread>(d->shared, d->driver, d->session);
        if (!receive->ready() || !receive->Start()) throw ECommError(kMsgReceiveThread);
        d->receive = std::move(receive);
    } catch (const std::bad_alloc&) {
        throw ECommError(kMsgReceiveThread);
    }
}

void TCustomCommX::Close() {
    closePort(true);
}

void TCustomCommX::closePort(bool live) {
    // A handler run during the first wait below must not close the port a second time.
    if (!IsOpen() || d->closing) return;
    d->closing = true;
    // From here on no event reaches the handlers, and no worker waits for this thread.
    d->shared->setSession(0);
    SetDtr(false);
    SetRts(false);
    PurgeTrans();
    PurgeReceive();
    live ? waitLive(100) : sleepMs(100);
    if (d->trans) {
        d->trans->Terminate();
        d->trans->Post(commx::kMsgWakeUp, 0, nullptr);
    }
    if (d->receive) {
        d->receive->Terminate();
        d->receive->Wake();
    }
    // The workers may still hold the driver for a moment; the descriptor closes with the
    // last of them, so none of them can touch a recycled descriptor number.
    d->driver->release();
    d->driver.reset();
    d->trans.reset();
    d->receive.reset();
    d->closing = false;
    // The port is closed now: an Open from a handler during this wait starts afresh, and
    // nothing below touches its state.
    live ? waitLive(100) : sleepMs(100);
}

bool TCustomCommX::IsOpen() const {
    return d->driver != nullptr;
}

uint32_t TCustomCommX::Handle() const {
    return d->driver ? static_cast<uint32_t>(d->driver->fd()) : kInvalidHandle;
}

// ---------------------------------------------------------------------------------------
// Sending

bool TCustomCommX::TransData(const void* Data, int Size) {
    if (Size == 0) return true;
    if (Size < 0 || Data == nullptr) return false;
    const auto* next = static_cast<const uint8_t*>(Data);
    int left = Size;
    const uint64_t session = d->session;
    while (left > 0) {
        // A handler run during the wait below may have closed (or reopened) the port.
        if (!IsOpen() || !d->trans || d->session != session) return false;
        int queued;
        {
            std::lock_guard lock(d->shared->counterLock);
            queued = d->shared->queuedChunks;
        }
        if (queued >= kMaxQueuedChunks) {
            // Until the transmit thread has finished a chunk; the count is read again after
            // the waiting count is up, so that the worker's ring cannot be missed.
            const Raised waiting(d->shared->sendersWaiting);
            std::unique_lock lock(d->shared->counterLock);
            const bool full = d->shared->queuedChunks >= kMaxQueuedChunks;
            lock.unlock();
            if (full) waitForPort(platform::kNoDeadline);
            continue;
        }
        const int chunk = std::min(left, std::max(1, d->bufLenTrans));
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[chunk]);
        if (block) {
            std::memcpy(block.get(), next, static_cast<size_t>(chunk));
            {
                std::lock_guard lock(d->shared->counterLock);
                d->shared->pendingBytes += chunk;
                ++d->shared->queuedChunks;
            }
            if (!d->trans->Post(commx::kMsgTransmit, chunk, std::move(block))) {
                // Nobody would ever lower the counts again, and PurgeTrans would wait forever.
                std::lock_guard lock(d->shared->counterLock);
                d->shared->pendingBytes -= chunk;
                --d->shared->queuedChunks;
            }
        }
        next += chunk;
        left -= chunk;
    }
    return true;
}

bool TCustomCommX::TransByte(uint8_t Byte) {
    return TransData(&Byte, 1);
}

void TCustomCommX::PurgeTrans() {
    if (!IsOpen()) return;
    commx::PortDriver& driver = *d->driver;
    if (!d->trans) {
        std::lock_guard lock(d->shared->writeLock);
        driver.purgeOutput();
        return;
    }
    UiWaiting waiting(*d->shared);
    d->trans->setPurge(true);
    for (;;) {
        {
            std::lock_guard lock(d->shared->writeLock);
            driver.purgeOutput();
        }
        sleepMs(1);
        std::lock_guard lock(d->shared->counterLock);
        if (d->shared->pendingBytes == 0) break;
    }
    d->trans->setPurge(false);
}

// ---------------------------------------------------------------------------------------
// Receiving

int TCustomCommX::ReceiveData(void* Buffer, int Size) {
    if (!IsOpen() || !d->receive || Buffer == nullptr || Size < 0) return -1;
    // One read context: a handler must not start a second read while one waits.
    if (d->reading) return -1;
    d->reading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{d->reading};

    const std::shared_ptr<commx::PortDriver> driver = d->driver;
    const uint64_t session = d->session;
    const uint64_t purges = d->receivePurges;
    // The driver takes the time-out as an unsigned count of milliseconds.
    const uint32_t limit = static_cast<uint32_t>(d->timeOutReceive);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    // Up before the first read: a byte that comes after it rings the doorbell.
    const Raised waiting(d->shared->readersWaiting);
    auto* out = static_cast<uint8_t*>(Buffer);
    int got = 0;
    for (;;) {
        if (got < Size) {
            const ssize_t n = driver->read(out + got, static_cast<size_t>(Size - got));
            if (n > 0) {
                got += static_cast<int>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                reportErrorsHere(*driver);
                return -1;
            }
        }
        if (got == Size || limit == 0) return got;
        if (std::chrono::steady_clock::now() >= deadline) return got;
        waitForPort(deadline);
        if (!IsOpen() || !d->receive || d->session != session) return -1;
        if (d->receivePurges != purges) {  // PurgeReceive aborted this read
            reportErrorsHere(*driver);
            return -1;
        }
    }
}

int TCustomCommX::ReceiveByte() {
    uint8_t byte = 0;
    return ReceiveData(&byte, 1) == 1 ? byte : -1;
}

void TCustomCommX::PurgeReceive() {
    if (!IsOpen()) return;
    d->driver->purgeInput();
    ++d->receivePurges;
}

int TCustomCommX::ReceiveCount() {
    if (!IsOpen()) return 0;
    d->driver->takeErrors();  // the status read clears the error bits without reporting them
    return d->driver->inputCount();
}

void TCustomCommX::SetRts(bool On) {
    if (IsOpen()) d->driver->setRts(On);
}

void TCustomCommX::SetDtr(bool On) {
    if (IsOpen()) d->driver->setDtr(On);
}

// ---------------------------------------------------------------------------------------
// Properties

int TCustomCommX::PortNo() const {
    return d->portNo;
}
void TCustomCommX::setPortNo(int v) {
    d->portNo = v;
    d->device.clear();
    if (IsOpen()) {
        Close();
        Open();
    }
}

std::string TCustomCommX::Device() const {
    return d->device.empty() ? DevicePath(d->portNo) : d->device;
}
void TCustomCommX::setDevice(const std::string& path) {
    d->device = path;
    if (IsOpen()) {
        Close();
        Open();
    }
}

int TCustomCommX::BitRate() const {
    return d->bitRate;
}
void TCustomCommX::setBitRate(int v) {
    d->bitRate = v;
    if (IsOpen()) d->applyBitRate();
}

int TCustomCommX::CharSize() const {
    return d->charSize;
}
void TCustomCommX::setCharSize(int v) {
    d->charSize = v;
    if (IsOpen()) d->applyCharSize();
}

TCommParityBits TCustomCommX::ParityBit() const {
    return d->parity;
}
void TCustomCommX::setParityBit(TCommParityBits v) {
    d->parity = v;
    if (IsOpen()) d->applyParity();
}

TCommStopBits TCustomCommX::StopBit() const {
    return d->stopBits;
}
void TCustomCommX::setStopBit(TCommStopBits v) {
    d->stopBits = v;
    if (IsOpen()) d->applyStopBits();
}

TCommFlowCtrls TCustomCommX::FlowCtrl() const {
    return d->flow;
}
void TCustomCommX::setFlowCtrl(TCommFlowCtrls v) {
    d->flow = v;
    d->shared->flowCtrl.store(v);
    if (IsOpen()) d->applyFlow();
}

int TCustomCommX::TimeOutTrans() const {
    return d->timeOutTrans;
}
void TCustomCommX::setTimeOutTrans(int v) {
    d->timeOutTrans = v;
    d->shared->timeOutTrans.store(static_cast<uint32_t>(v));
    if (IsOpen()) d->applyTimeouts();
}

int TCustomCommX::TimeOutReceive() const {
    return d->timeOutReceive;
}
void TCustomCommX::setTimeOutReceive(int v) {
    d->timeOutReceive = v;
    if (IsOpen()) d->applyTimeouts();
}

char TCustomCommX::XonChar() const {
    return d->xonChar;
}
void TCustomCommX::setXonChar(char v) {
    d->xonChar = v;
    if (IsOpen()) d->applyXon();
}

char TCustomCommX::XoffChar() const {
    return d->xoffChar;
}
void TCustomCommX::setXoffChar(char v) {
    d->xoffChar = v;
    if (IsOpen()) d->applyXoff();
}

int TCustomCommX::BufLenTrans() const {
    return d->bufLenTrans;
}
void TCustomCommX::setBufLenTrans(int v) {
    d->bufLenTrans = v;
    if (IsOpen()) d->applyQueueSizes();
}

int TCustomCommX::BufLenReceive() const {
    return d->bufLenReceive;
}
void TCustomCommX::setBufLenReceive(int v) {
    d->bufLenReceive = v;
    if (IsOpen()) {
        d->applyQueueSizes();
        d->applyFlow();  // the XON/XOFF limits follow the input queue size
    }
}

// ---------------------------------------------------------------------------------------
// Statics

std::string TCustomCommX::DevicePath(int portNo) {
    if (portNo < 1) return {};
    const std::string var = "KVPROG_COM" + std::to_string(portNo);
    if (const char* value = std::getenv(var.c_str()); value && *value) return value;
    return "/dev/ttyS" + std::to_string(portNo - 1);
}

void TCustomCommX::setDriverFactory(commx::DriverFactory factory) {
    std::lock_guard lock(gFactoryMutex);
    gFactory = std::move(factory);
}

int TCustomCommX::activeWorkerCount() {
    return TCommThread::activeCount();
}

bool TCustomCommX::waitForWorkers(int ms) {
    const uint32_t start = platform::GetTickCount();
    while (!TCommThread::joinFinished()) {
        if (platform::GetTickCount() - start >= static_cast<uint32_t>(std::max(ms, 0)))
            return false;
        sleepMs(5);
    }
    return true;
}
