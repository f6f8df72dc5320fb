#include "core/trace.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace kvcore {
namespace {

// A message on one line: the line form must hold whatever a box showed.
QByteArray oneLine(QString text) {
    return text.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' ')).toUtf8();
}

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

std::unordered_map<const QObject*, ProtocolTrace*>& registry() {
    static std::unordered_map<const QObject*, ProtocolTrace*> map;
    return map;
}

}  // namespace

ProtocolTrace::ProtocolTrace(QString tool, QString command, QDateTime started)
    : tool_(std::move(tool)), command_(std::move(command)), started_(std::move(started)) {}

qint64 ProtocolTrace::elapsedMs() const {
    return clock_.isValid() ? clock_.elapsed() : 0;
}

void ProtocolTrace::event(const QByteArray& what) {
    endBurst();
    lines_ += QByteArray::number(elapsedMs()).rightJustified(8, ' ') + ' ' + what;
    lines_ += '\n';
}

void ProtocolTrace::endBurst() {
    if (burst_ == Direction::None) return;
    lines_ += '\n';
    burst_ = Direction::None;
}

void ProtocolTrace::byte(Direction direction, uint8_t value) {
    static const char hex[] = "0123456789ABCDEF";
    if (burst_ != direction) {
        endBurst();
        lines_ += QByteArray::number(elapsedMs()).rightJustified(8, ' ');
        lines_ += direction == Direction::Tx ? " TX" : " RX";
        burst_ = direction;
    }
    const char digits[3] = {' ', hex[value >> 4], hex[value & 0x0F]};
    lines_.append(digits, 3);
}

void ProtocolTrace::portOpened(const QString& device) {
    portTried_ = true;
    if (!clock_.isValid()) clock_.start();
    event("OPEN " + device.toUtf8());
}

void ProtocolTrace::portNotOpened(const QString& device, const QString& error) {
    portTried_ = true;
    event("OPEN FAILED " + device.toUtf8() + ": " + oneLine(error));
}

void ProtocolTrace::portClosed() {
    event("CLOSE");
}

void ProtocolTrace::sent(uint8_t value) {
    byte(Direction::Tx, value);
}

void ProtocolTrace::received(uint8_t value) {
    byte(Direction::Rx, value);
}

void ProtocolTrace::timedOut() {
    event("TIMEOUT no reply within 1000 ms");
}

void ProtocolTrace::failed(const QString& text) {
    failure_ = text;
}

void ProtocolTrace::succeeded(const QString& text) {
    success_ = text;
}

QByteArray ProtocolTrace::text() const {
    QByteArray out = "# " + tool_.toUtf8() + " trace of " + command_.toUtf8() + ", started " +
                     started_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8() +
                     " local time\n"
                     "# ms since the port opened; TX to the modem, RX from the modem, bytes in "
                     "hex\n";
    out += lines_;
    if (burst_ != Direction::None) out += '\n';
    out += "RESULT ";
    if (!failure_.isEmpty())
        out += "error: " + oneLine(failure_);
    else if (!success_.isEmpty())
        out += "ok: " + oneLine(success_);
    else
        out += "ok";
    return out + '\n';
}

TraceRecording::TraceRecording(const QObject* port, ProtocolTrace& trace) : port_(port) {
    const std::lock_guard lock(registryMutex());
    ProtocolTrace*& slot = registry()[port];
    previous_ = std::exchange(slot, &trace);
}

TraceRecording::~TraceRecording() {
    const std::lock_guard lock(registryMutex());
    if (previous_)
        registry()[port_] = previous_;
    else
        registry().erase(port_);
}

ProtocolTrace* traceOf(const QObject* port) {
    const std::lock_guard lock(registryMutex());
    const auto it = registry().find(port);
    return it == registry().end() ? nullptr : it->second;
}

}  // namespace kvcore
