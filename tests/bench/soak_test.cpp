// The soak run cut short: 50 commands of each tool against its emulator with faults at random,
// no line timing. Every report must be borne out by the modem, no command may hang, and the
// process must hold no more descriptors or threads at the end than after its first commands.
#include <gtest/gtest.h>

#include "bench/soak_a.h"
#include "bench/soak_b.h"
#include "bench/soakdriver.h"

namespace {

template <class Traits>
void shortSoak() {
    const kvsoak::Figures f = kvsoak::SoakRun<Traits>(/*seed=*/11, /*lineTiming=*/false).run(50);
    EXPECT_EQ(f.commands, 50);
    EXPECT_EQ(f.falseOk, 0);
    EXPECT_EQ(f.falseError, 0);
    EXPECT_EQ(f.hangs, 0);
    EXPECT_EQ(f.correct, f.commands);
    EXPECT_GT(f.errorReports, 0) << "no fault reached a command";
    EXPECT_LE(f.after.fds, f.warm.fds);
    EXPECT_LE(f.after.threads, f.warm.threads);
}

TEST(Soak, KvprogAKeepsItsReportsTrueAndItsResources) {
    shortSoak<kvsoak::SoakA>();
}

TEST(Soak, KvprogBKeepsItsReportsTrueAndItsResources) {
    shortSoak<kvsoak::SoakB>();
}

}  // namespace
