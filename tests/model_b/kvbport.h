#pragma once
// The KV93x emulator on COM3 and a port component set up like CommX1, open for the whole test.
#include "modemport.h"
#include "sim/kv93x.h"

namespace kvtest {

class KvbPortTest : public ModemPortTest<kvsim::Kv93x> {
  protected:
    void SetUp() override { comm.Open(); }
    void TearDown() override {
        const bool talked = !modem.frames().empty();
        EXPECT_TRUE(!talked || comm.TimeOutReceive() == 0) << "time-out left set after a reply";
        comm.Close();
        ModemPortTest::TearDown();
    }
    // Arms faults and forgets the frames logged so far.
    void arm(const kvsim::Kv93x::Faults& faults) { modem.arm(faults); }
};

}  // namespace kvtest
