#pragma once
// A fixture for windows that borrow a port component (the service windows): an emulated
// modem on COM3, a port component set up like the main window's CommX1 on it, and a
// recorder that answers every message box. Also clicking and typing as a user does.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "emulator.h"
#include "msgrecorder.h"
#include "serial/CommX.h"

namespace kvtest {

inline void click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

// Types into an editable list as a user would, replacing its text.
inline void typeInto(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    box->lineEdit()->del();
    QTest::keyClicks(box->lineEdit(), text);
}

// The boxes shown so far, as "kind:text".
inline std::vector<std::string> boxTexts(const MessageRecorder& messages) {
    static const char* const kinds[] = {"error", "info", "confirm", "plain"};  // MsgKind order
    std::vector<std::string> out;
    for (const platform::MsgRequest& b : messages.boxes)
        out.push_back(std::string(kinds[static_cast<int>(b.kind)]) + ":" + b.text.toStdString());
    return out;
}

template <class Machine>
class ModemPortTest : public testing::Test {
  protected:
    using Memory = typename Machine::Memory;

    ModemPortTest() {
        comm.setPortNo(3);
        comm.setBitRate(9600);
        comm.setCharSize(8);
        comm.setParityBit(cpbEven);
        comm.setStopBit(csb1);
        comm.setFlowCtrl(cfcNone);
    }
    void TearDown() override {
        EXPECT_FALSE(comm.IsOpen()) << "an operation left the port open";
        if (comm.IsOpen()) comm.Close();
    }

    template <class Fn>
    decltype(auto) onModem(Fn&& fn) {
        return modem.with(std::forward<Fn>(fn));
    }
    // Replaces the emulator's memory and forgets the frames logged so far.
    void setMemory(const Memory& memory) { modem.setMemory(memory); }
    // Arms faults; frames logged before stay.
    void setFaults(const typename Machine::Faults& faults) {
        onModem([&](Machine& m) { m.setFaults(faults); });
    }
    std::vector<std::string> frames() { return modem.frameTexts(); }
    Memory memory() { return modem.memory(); }
    std::vector<std::string> boxTexts() const { return kvtest::boxTexts(messages); }

    EmulatedModem<Machine> modem{3};
    TCommX comm;
    MessageRecorder messages;
};

}  // namespace kvtest
