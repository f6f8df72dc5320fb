// TCustomCommX: construction, Open and Close with the worker threads, and the statics.
// The line settings, the transfer and the UI thread's waits are in commxsettings.cpp,
// commxtransfer.cpp and commxwaits.cpp.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "serial/commximpl.h"

using commx::sleepMs;
using commx::waitLive;

namespace {

const char* const kMsgAlreadyOpen = "A port has already been opened.";
const char* const kMsgOpenFailed = "It was open, and it didn't come [ the port ].";
const char* const kMsgTransThread = "TransThread couldn't be formed.";
const char* const kMsgReceiveThread = "ReceiveThread couldn't be formed.";

constexpr uint32_t kInvalidHandle = 0xFFFFFFFF;

std::mutex gFactoryMutex;
commx::DriverFactory gFactory;

std::atomic<uint64_t> gSessionCounter{0};

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

}  // namespace

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
