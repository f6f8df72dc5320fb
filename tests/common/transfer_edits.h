#pragma once
// What the technician may do in a main window while its Receive or Transmit runs, written
// once for both tools: the real window against the model's emulator on COM1. A model
// instantiates the suite with the traits struct of transfer_faults.h:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, EditsDuringTransfer, Traits);
//
// Include this header in one source file of a test program only.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "emulator.h"
#include "filedialogs.h"
#include "logtext.h"
#include "msgrecorder.h"
#include "testdir.h"

namespace kvtest {

template <class Traits>
class EditsDuringTransfer : public testing::Test {
  protected:
    using Window = typename Traits::Window;
    using Machine = typename Traits::Machine;

    // Whether each item that could change the table, the controls or the file name can be
    // reached, and the ones that stay: Save, Print and the modem commands (which refuse).
    QStringList reachable() const {
        const Window& w = *window;
        QStringList s;
        for (const char* name :
             {"OPEN1", "SaveAs1", "Default1", "Save1", "Print1", "ReceivePCKV1", "TransmitPCKV1"})
            s << name +
                     QStringLiteral("=%1").arg(w.template findChild<QAction*>(name)->isEnabled());
        for (const char* name : {"SG_ChData", "E_RxFrq", "B_Set", "B_Clear", "GroupBox1"})
            s << name +
                     QStringLiteral("=%1").arg(w.template findChild<QWidget*>(name)->isEnabled());
        return s;
    }
    static QStringList allReachable() {
        return {"OPEN1=1",   "SaveAs1=1",      "Default1=1",      "Save1=1",
                "Print1=1",  "ReceivePCKV1=1", "TransmitPCKV1=1", "SG_ChData=1",
                "E_RxFrq=1", "B_Set=1",        "B_Clear=1",       "GroupBox1=1"};
    }
    // A Receive shows the defaults until the modem has been read: nothing saves or prints
    // them. A Transmit leaves the table as it is, to be saved or printed meanwhile.
    static QStringList duringCommand(bool receive) {
        const char* const table = receive ? "=0" : "=1";
        return {"OPEN1=0",
                "SaveAs1=0",
                "Default1=0",
                QStringLiteral("Save1") + table,
                QStringLiteral("Print1") + table,
                "ReceivePCKV1=1",
                "TransmitPCKV1=1",
                "SG_ChData=0",
                "E_RxFrq=0",
                "B_Set=0",
                "B_Clear=0",
                "GroupBox1=0"};
    }
    // Runs `during` from the event loop once the command has been running for a while.
    void whileRunning(const std::function<void()>& during, const std::function<void()>& command) {
        bool ran = false;
        QTimer::singleShot(150, window.get(), [&] {
            ran = true;
            during();
        });
        command();
        EXPECT_TRUE(ran) << "the command ended before the user could act";
    }

    MessageRecorder boxes;
    FileDialogScript dialogs;
    EmulatedModem<Machine> modem{1, Traits::memory()};
    std::unique_ptr<Window> window = std::make_unique<Window>();
};

TYPED_TEST_SUITE_P(EditsDuringTransfer);

// File > Open during a Receive that then fails: the table, the caption and FileName still
// belong together, and the next Save writes no file with a table it did not come from.
TYPED_TEST_P(EditsDuringTransfer, OpenDuringAFailingReceive) {
    auto& w = *this->window;
    TypeParam::fillChannel(w, 2);
    this->dialogs.answers = {QStringLiteral("other.DAT")};
    w.SaveAs1Click();
    w.Default1Click();
    TypeParam::fillChannel(w, 1);
    this->dialogs.answers = {QStringLiteral("first.DAT")};
    w.SaveAs1Click();
    const QByteArray first = readFile("first.DAT");
    const QByteArray other = readFile("other.DAT");
    ASSERT_NE(first, other);
    w.show();

    this->modem.arm(TypeParam::receiveFaults()[1].faults);  // the data stop after 100 bytes
    this->boxes.boxes.clear();
    this->whileRunning(
        [&] {
            EXPECT_EQ(this->reachable(), this->duringCommand(true));
            // What the technician sees: the greyed items while the modem is read.
            w.grab().save(artefactPath(w.model().program + "_during_receive.png"));
            QMenu& file = *w.template findChild<QMenu*>("File1");
            file.popup(w.mapToGlobal(QPoint(0, 0)));
            file.grab().save(artefactPath(w.model().program + "_file_menu_during_receive.png"));
            file.hide();
            this->dialogs.answers = {QStringLiteral("other.DAT")};
            w.template findChild<QAction*>("OPEN1")->trigger();
        },
        [&] { w.ReceivePCKV1Click(); });
    EXPECT_EQ(logLines(*w.LB_Result).last(), "Previous Data Restored");
    EXPECT_EQ(this->reachable(), this->allReachable());
    EXPECT_EQ(w.windowTitle(), w.model().captionPrefix + w.FileName);

    w.Save1Click();
    EXPECT_EQ(readFile("first.DAT"), first);
    EXPECT_EQ(readFile("other.DAT"), other);
}

// Set during a Transmit: what the window shows afterwards is what went to the modem, so a
// second Transmit without edits writes the same bytes again.
TYPED_TEST_P(EditsDuringTransfer, SetDuringATransmit) {
    auto& w = *this->window;
    TypeParam::fillChannel(w, 1);
    w.show();
    this->whileRunning(
        [&] {
            EXPECT_EQ(this->reachable(), this->duringCommand(false));
            // Channel 1 gets another receive frequency, typed and set as a user would.
            QTest::keyClick(w.E_RxFrq, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w.E_RxFrq, QStringLiteral("230"));
            QTest::mouseClick(w.template findChild<QPushButton*>("B_Set"), Qt::LeftButton);
        },
        [&] { w.TransmitPCKV1Click(); });
    ASSERT_EQ(this->boxes.texts(), QStringList{"Data Write OK!!"});
    EXPECT_EQ(this->reachable(), this->allReachable());
    const auto sent = this->modem.memory();

    this->boxes.boxes.clear();
    w.TransmitPCKV1Click();
    ASSERT_EQ(this->boxes.texts(), QStringList{"Data Write OK!!"});
    EXPECT_EQ(this->modem.memory(), sent);
    EXPECT_TRUE(TypeParam::channelUsed(w, 1));
}

// Every way a command ends gives the window back: success, a failed exchange, a setting
// error, and a port that cannot be opened (an escaping error).
TYPED_TEST_P(EditsDuringTransfer, EveryWayOutGivesTheWindowBack) {
    auto& w = *this->window;
    const struct {
        const char* what;
        bool fill;
        const char* device;  // nullptr: the emulator
        bool receive;
    } cases[] = {{"Receive", false, nullptr, true},
                 {"Transmit with nothing to write", false, nullptr, false},
                 {"Transmit", true, nullptr, false},
                 {"Receive on no port", false, "/nonexistent/ttyKV", true},
                 {"Transmit on no port", true, "/nonexistent/ttyKV", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w.Default1Click();
        if (c.fill) TypeParam::fillChannel(w, 1);
        qputenv("KVPROG_COM1", c.device ? QByteArray(c.device)
                                        : QByteArray::fromStdString(this->modem.devicePath()));
        this->boxes.boxes.clear();
        c.receive ? w.ReceivePCKV1Click() : w.TransmitPCKV1Click();
        EXPECT_EQ(this->boxes.boxes.size(), c.receive && !c.device ? 0 : 1);
        EXPECT_EQ(this->reachable(), this->allReachable());
    }
}

REGISTER_TYPED_TEST_SUITE_P(EditsDuringTransfer, OpenDuringAFailingReceive, SetDuringATransmit,
                            EveryWayOutGivesTheWindowBack);

}  // namespace kvtest
