#pragma once
// The port of a modem verb: "--port n" names COMn exactly as the windows resolve it
// (KVPROG_COM<n>, else /dev/ttyS<n-1>); anything with a '/' is a device path. The bytes are
// counted as they pass through the byte channel under the link.
#include <QString>
#include <cstdint>

#include "core/pacedlink.h"

class TCustomCommX;

namespace kvctl {

struct PortTarget {
    int number = 0;  // COMn, 0 for a device path
    QString path;    // the device path given
};

// UsageError for anything that is neither a port number from 1 nor a path.
PortTarget parsePort(const QString& text);
// The device a --port text names, empty when it names none.
QString deviceOf(const QString& port);
// The port component on the modem line, aimed at the target.
void aimPort(TCustomCommX& comm, const PortTarget& target);

// Counts the bytes sent and the reply bytes received through another channel; after a stop
// request (interrupt.h) the next byte throws Interrupted instead.
class CountingChannel final : public kvcore::ByteChannel {
  public:
    explicit CountingChannel(kvcore::ByteChannel& inner) : inner_(inner) {}
    void sendPaced(uint8_t byte) override;
    int receiveReply() override;
    int64_t sent() const { return sent_; }
    int64_t received() const { return received_; }

  private:
    kvcore::ByteChannel& inner_;
    int64_t sent_ = 0;
    int64_t received_ = 0;
};

}  // namespace kvctl
