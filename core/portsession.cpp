#include "core/portsession.h"

#include "serial/CommX.h"

namespace kvcore {

void setModemLine(TCustomCommX& comm) {
    comm.setParityBit(cpbEven);
    comm.setFlowCtrl(cfcNone);
}

PortSession::PortSession(TCustomCommX& comm) : comm_(comm) {
    comm_.Open();
}

PortSession::~PortSession() {
    close();
}

void PortSession::close() {
    if (!open_) return;
    open_ = false;
    comm_.Close();  // never throws: it only stops what Open started
}

}  // namespace kvcore
