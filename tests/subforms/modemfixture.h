#pragma once
// A KV417R emulator on a pseudo-terminal, a port component set up like the main window's
// CommX1 on it, and a recorder that answers every message box.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "msgrecorder.h"
#include "serial/CommX.h"
#include "sim/kv417r.h"
#include "sim/ptytransport.h"

namespace kvtest {

class ModemWindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs fn(Kv417r&) under the emulator's lock.
    template <class Fn>
    decltype(auto) onModem(Fn&& fn) {
        return modem_->withModem<kvsim::Kv417r>(std::forward<Fn>(fn));
    }
    // Replaces the emulator's memory and forgets the frames logged so far.
    void setMemory(const kvsim::Kv417r::Memory& memory);
    void setFaults(const kvsim::Kv417rFaults& faults);
    // The frames the emulator received, as "CC 03 70 00 00 00 00 73".
    std::vector<std::string> frames();
    kvsim::Kv417r::Memory memory();

    // The boxes shown so far, as "kind:text".
    std::vector<std::string> boxTexts() const;

    std::unique_ptr<kvsim::PtyTransport> modem_;
    TCommX comm;
    MessageRecorder messages;
};

inline void click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

// Types into an editable list as a user would, replacing its text.
inline void typeInto(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    box->lineEdit()->del();
    QTest::keyClicks(box->lineEdit(), text);
}

}  // namespace kvtest
