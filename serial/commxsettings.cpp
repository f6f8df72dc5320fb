// TCustomCommX, the line settings: the properties, and how each reaches the open port.
#include "serial/commximpl.h"

namespace {

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

}  // namespace

void TCustomCommX::Impl::handRecordOver(const char* message) {
    if (!driver->applySettings(record)) throw ECommError(message);
}

void TCustomCommX::Impl::applyBitRate() {
    record.baudRate = static_cast<uint32_t>(bitRate);
    handRecordOver(kMsgSpeed);
}

void TCustomCommX::Impl::applyCharSize() {
    record.byteSize = static_cast<uint8_t>(charSize & 0xFF);
    handRecordOver(kMsgCharSize);
}

void TCustomCommX::Impl::applyParity() {
    record.parity = static_cast<uint8_t>(parity);
    handRecordOver(kMsgParity);
}

void TCustomCommX::Impl::applyStopBits() {
    record.stopBits = static_cast<uint8_t>(stopBits);
    handRecordOver(kMsgStopBits);
}

void TCustomCommX::Impl::applyFlow() {
    record.flags = flagsFor(flow);
    record.xonLim = bufLenReceive / 4;
    record.xoffLim = bufLenReceive / 4;
    handRecordOver(kMsgFlow);
}

void TCustomCommX::Impl::applyTimeouts() {
    timeouts.readInterval = 0xFFFFFFFF;
    timeouts.readMultiplier = 0;
    timeouts.readConstant = static_cast<uint32_t>(timeOutReceive);
    timeouts.writeMultiplier = 0;
    timeouts.writeConstant = static_cast<uint32_t>(timeOutTrans);
    if (!driver->applyTimeouts(timeouts)) throw ECommError(kMsgTimeouts);
}

void TCustomCommX::Impl::applyXon() {
    record.xonChar = xonChar;
    handRecordOver(kMsgXon);
}

void TCustomCommX::Impl::applyXoff() {
    record.xoffChar = xoffChar;
    handRecordOver(kMsgXoff);
}

void TCustomCommX::Impl::applyQueueSizes() {
    if (!driver->setQueueSizes(bufLenReceive, bufLenTrans)) throw ECommError(kMsgBuffer);
}

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
