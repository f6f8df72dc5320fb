#include "core/commandrunner.h"

#include <QSet>
#include <optional>
#include <utility>

#include "core/trace.h"
#include "core/tracestore.h"

namespace kvcore {
namespace {

// The ports a command holds now; the UI thread alone touches it.
QSet<const QObject*>& heldPorts() {
    static QSet<const QObject*> set;
    return set;
}

class PortHold {
  public:
    explicit PortHold(const QObject* comm) : comm_(comm), held_(!heldPorts().contains(comm)) {
        if (held_) heldPorts().insert(comm);
    }
    ~PortHold() {
        if (held_) heldPorts().remove(comm_);
    }
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;
    bool held() const { return held_; }

  private:
    const QObject* comm_;
    bool held_;
};

}  // namespace

CommandRunner::CommandRunner(const QObject* comm, platform::ErrorDisplay display)
    : comm_(comm), display_(std::move(display)) {}

void CommandRunner::run(const std::function<void()>& command) {
    run(QString(), command);
}

void CommandRunner::run(const QString& name, const std::function<void()>& command) {
    TraceStore* const store = name.isEmpty() || busy() ? nullptr : traceStoreOf(comm_);
    std::optional<ProtocolTrace> trace;
    if (store) trace.emplace(store->tool(), name);
    platform::runReporting(
        [&] {
            const PortHold hold(comm_);
            if (!hold.held()) {
                display_(refusal());
                return;
            }
            ++depth_;
            struct Leave {
                CommandRunner& runner;
                ~Leave() {
                    --runner.depth_;
                    if (runner.busyChanged_) runner.busyChanged_(false);
                }
            } leave{*this};
            if (busyChanged_) busyChanged_(true);
            std::optional<TraceRecording> recording;
            if (trace) recording.emplace(comm_, *trace);
            command();
        },
        [&](const QString& text) {
            if (trace) trace->failed(text);
            display_(text);
        });
    if (trace && trace->portTried()) store->keep(*trace);
    if (depth_ == 0 && pendingClose_) std::exchange(pendingClose_, nullptr)();
}

bool CommandRunner::busy() const {
    return heldPorts().contains(comm_);
}

bool CommandRunner::deferClose(std::function<void()> close) {
    if (!busy()) return false;
    if (depth_ > 0) pendingClose_ = std::move(close);
    return true;
}

void CommandRunner::setBusyChanged(std::function<void(bool)> changed) {
    busyChanged_ = std::move(changed);
}

ProtocolTrace* CommandRunner::trace() const {
    return traceOf(comm_);
}

QString CommandRunner::refusal() {
    return QStringLiteral("A port has already been opened.");
}

}  // namespace kvcore
