#include "core/portsession.h"

#include "core/trace.h"
#include "serial/CommX.h"

namespace kvcore {

void setModemLine(TCustomCommX& comm) {
    comm.setParityBit(cpbEven);
    comm.setFlowCtrl(cfcNone);
}

PortSession::PortSession(TCustomCommX& comm) : comm_(comm) {
    ProtocolTrace* const trace = traceOf(&comm_);
    try {
        comm_.Open();
    } catch (const std::exception& e) {
        if (trace)
            trace->portNotOpened(QString::fromStdString(comm_.Device()), platform::errorText(e));
        throw;
    }
    if (trace) trace->portOpened(QString::fromStdString(comm_.Device()));
}

PortSession::~PortSession() {
    close();
}

void PortSession::close() {
    if (!open_) return;
    open_ = false;
    // Timed when the command lets the port go, not when the component's threads have ended.
    if (ProtocolTrace* const trace = traceOf(&comm_)) trace->portClosed();
    comm_.Close();  // never throws: it only stops what Open started
}

}  // namespace kvcore
