#pragma once
// One emulated modem for a test: a state machine of the sim/ family `Machine` served on a
// pseudo-terminal, with COM<port> pointing at it for as long as the emulator lives. Every
// suite that talks to a modem uses this, whichever model it tests.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/ptytransport.h"

namespace kvtest {

// A frame as "CC 03 70 00 00 00 00 73".
template <class Bytes>
std::string frameText(const Bytes& frame) {
    std::string s;
    char hex[4];
    for (const uint8_t b : frame) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!s.empty()) s += ' ';
        s += hex;
    }
    return s;
}

template <class Machine>
class EmulatedModem {
  public:
    using Memory = typename Machine::Memory;
    using Faults = typename Machine::Faults;
    using Frame = typename Machine::Frame;

    explicit EmulatedModem(int port, const Memory& memory = Machine::demoMemory())
        : variable_("KVPROG_COM" + QByteArray::number(port)),
          transport_(std::make_unique<kvsim::PtyTransport>(std::make_unique<Machine>(memory))) {
        qputenv(variable_.constData(), QByteArray::fromStdString(transport_->devicePath()));
    }
    ~EmulatedModem() {
        transport_.reset();
        qunsetenv(variable_.constData());
    }
    EmulatedModem(const EmulatedModem&) = delete;
    EmulatedModem& operator=(const EmulatedModem&) = delete;

    // Runs fn(Machine&) under the lock the serving thread also takes.
    template <class Fn>
    decltype(auto) with(Fn&& fn) {
        return transport_->template withModem<Machine>(std::forward<Fn>(fn));
    }

    // Arms `faults` and forgets the frames logged so far.
    void arm(const Faults& faults) {
        with([&](Machine& m) {
            m.setFaults(faults);
            m.clearLog();
        });
    }
    // Replaces the memory and forgets the frames logged so far.
    void setMemory(const Memory& memory) {
        with([&](Machine& m) {
            m.setMemory(memory);
            m.clearLog();
        });
    }
    Memory memory() {
        return with([](Machine& m) { return m.memory(); });
    }
    std::vector<Frame> frames() {
        return with([](Machine& m) { return m.frames(); });
    }
    // The reply bytes sent since the log was last cleared.
    std::vector<uint8_t> sentBytes() {
        return with([](Machine& m) { return m.sentBytes(); });
    }
    std::vector<std::string> frameTexts() {
        std::vector<std::string> out;
        for (const Frame& f : frames()) out.push_back(frameText(f));
        return out;
    }
    const std::string& devicePath() const { return transport_->devicePath(); }
    // Closes the pseudo-terminal, as an adapter pulled out: the tool's port hangs up. The
    // modem is gone for good; nothing may be asked of it afterwards.
    void unplug() { transport_.reset(); }
    // When the modem last sent a reply byte.
    std::chrono::steady_clock::time_point lastReplyByteAt() const {
        return transport_->lastSentAt();
    }

  private:
    QByteArray variable_;
    std::unique_ptr<kvsim::PtyTransport> transport_;
};

}  // namespace kvtest
