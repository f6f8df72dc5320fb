#include "modemfixture.h"

#include <QtGlobal>
#include <cstdio>

namespace kvtest {

namespace {

std::string frameText(const kvsim::Kv417r::Frame& frame) {
    std::string s;
    char hex[4];
    for (const uint8_t b : frame) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!s.empty()) s += ' ';
        s += hex;
    }
    return s;
}

}  // namespace

void ModemWindowTest::SetUp() {
    modem_ = std::make_unique<kvsim::PtyTransport>(std::make_unique<kvsim::Kv417r>());
    qputenv("KVPROG_COM3", QByteArray::fromStdString(modem_->devicePath()));
    comm.setPortNo(3);
    comm.setBitRate(9600);
    comm.setCharSize(8);
    comm.setParityBit(cpbEven);
    comm.setStopBit(csb1);
    comm.setFlowCtrl(cfcNone);
}

void ModemWindowTest::TearDown() {
    EXPECT_FALSE(comm.IsOpen()) << "an operation left the port open";
    if (comm.IsOpen()) comm.Close();
    modem_.reset();
}

void ModemWindowTest::setMemory(const kvsim::Kv417r::Memory& memory) {
    onModem([&](kvsim::Kv417r& m) {
        m.setMemory(memory);
        m.clearLog();
    });
}

void ModemWindowTest::setFaults(const kvsim::Kv417rFaults& faults) {
    onModem([&](kvsim::Kv417r& m) { m.setFaults(faults); });
}

std::vector<std::string> ModemWindowTest::frames() {
    const auto logged = onModem([](kvsim::Kv417r& m) { return m.frames(); });
    std::vector<std::string> out;
    for (const auto& f : logged) out.push_back(frameText(f));
    return out;
}

kvsim::Kv417r::Memory ModemWindowTest::memory() {
    return onModem([](kvsim::Kv417r& m) { return m.memory(); });
}

std::vector<std::string> ModemWindowTest::boxTexts() const {
    static const char* const kinds[] = {"error", "info", "confirm", "plain"};  // MsgKind order
    std::vector<std::string> out;
    for (const platform::MsgRequest& b : messages.boxes)
        out.push_back(std::string(kinds[static_cast<int>(b.kind)]) + ":" + b.text.toStdString());
    return out;
}

}  // namespace kvtest
