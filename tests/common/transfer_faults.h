#pragma once
// The link-fault and verify-fault cases of a main window's Receive and Transmit, written
// once for both tools: the real window and port component against the model's emulator on
// COM1. A model instantiates them with a traits struct that gives its window, its emulator
// and its own frames' faults:
//
//   struct Traits {
//       using Window = ...;  using Machine = ...;  using Faults = Machine::Faults;
//       static Machine::Memory memory();                // a formatted memory to start from
//       static void fillChannel(Window&, int ch);        // stores a channel through Set
//       static bool channelUsed(const Window&, int ch);
//       static void expectDefaults(const Window&);       // table and controls at defaults
//       static std::vector<ReceiveFault<Faults>> receiveFaults();
//       static std::vector<TransmitFault<Faults>> transmitFaults();
//       static Faults readBackDifference();              // a write kept wrong by the modem
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, MainWindowTransfer, Traits);
//
// Include this header in one source file of a test program only.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "emulator.h"
#include "logtext.h"
#include "msgrecorder.h"
#include "serial/CommX.h"

namespace kvtest {

template <class Faults>
struct ReceiveFault {
    const char* what;
    Faults faults;
    int progressUpTo;  // the last " % Finished [Receive]" line before the error, 0 for none
    int error;         // 1 or 2
};

template <class Faults>
struct TransmitFault {
    const char* what;
    Faults faults;
    int error;       // 1 or 2
    int framesSent;  // frames the emulator has seen when the command ends
};

template <class Traits>
class MainWindowTransfer : public testing::Test {
  protected:
    using Window = typename Traits::Window;
    using Machine = typename Traits::Machine;

    static QString commError(int error) {
        return QStringLiteral("Communication Error[%1]!!").arg(error);
    }
    void expectOneBox(platform::MsgKind kind, const QString& text) {
        ASSERT_EQ(boxes.boxes.size(), 1) << boxes.texts().join('|').toStdString();
        EXPECT_EQ(boxes.boxes[0].kind, kind);
        EXPECT_EQ(boxes.boxes[0].text, text);
    }
    void forgetLogAndBoxes() {
        window->ClearResult();
        boxes.boxes.clear();
    }

    MessageRecorder boxes;
    EmulatedModem<Machine> modem{1, Traits::memory()};
    std::unique_ptr<Window> window = std::make_unique<Window>();
};

TYPED_TEST_SUITE_P(MainWindowTransfer);

TYPED_TEST_P(MainWindowTransfer, ReceiveLinkFaults) {
    auto& w = *this->window;
    for (const auto& c : TypeParam::receiveFaults()) {
        SCOPED_TRACE(c.what);
        // Something in the window first, to see what the failed read leaves of it.
        TypeParam::fillChannel(w, 2);
        this->forgetLogAndBoxes();
        this->modem.arm(c.faults);
        w.ReceivePCKV1Click();
        const QString message = this->commError(c.error);
        QStringList expected{"Default Set", "***** Receive Start *****"};
        expected << progressLines("Receive", c.progressUpTo) << "***** " + message + " *****";
        EXPECT_EQ(logLines(*w.LB_Result), expected);
        this->expectOneBox(platform::MsgKind::Error, message);
        EXPECT_FALSE(w.CommX1->IsOpen());
        TypeParam::expectDefaults(w);
        this->modem.arm({});
    }
}

TYPED_TEST_P(MainWindowTransfer, TransmitLinkFaults) {
    auto& w = *this->window;
    TypeParam::fillChannel(w, 1);
    for (const auto& c : TypeParam::transmitFaults()) {
        SCOPED_TRACE(c.what);
        this->forgetLogAndBoxes();
        this->modem.arm(c.faults);
        w.TransmitPCKV1Click();
        const QString message = this->commError(c.error);
        EXPECT_EQ(logLines(*w.LB_Result).last(), "***** " + message + " *****");
        this->expectOneBox(platform::MsgKind::Error, message);
        EXPECT_EQ(static_cast<int>(this->modem.frames().size()), c.framesSent);
        EXPECT_FALSE(w.CommX1->IsOpen());
        EXPECT_TRUE(TypeParam::channelUsed(w, 1)) << "a failed write changes nothing in the window";
    }
}

TYPED_TEST_P(MainWindowTransfer, ReadBackDifferenceIsDataWriteNg) {
    auto& w = *this->window;
    TypeParam::fillChannel(w, 1);
    // Erased first, so that the write the modem does not keep leaves a difference.
    this->modem.setMemory(TypeParam::Machine::erasedMemory());
    this->modem.arm(TypeParam::readBackDifference());
    w.TransmitPCKV1Click();
    EXPECT_EQ(logLines(*w.LB_Result).last(), "***** Data Compare NG!! *****");
    this->expectOneBox(platform::MsgKind::Error, "Data Write NG!!");
    EXPECT_FALSE(w.CommX1->IsOpen());
}

REGISTER_TYPED_TEST_SUITE_P(MainWindowTransfer, ReceiveLinkFaults, TransmitLinkFaults,
                            ReadBackDifferenceIsDataWriteNg);

}  // namespace kvtest
