// COM > Receive and COM > Transmit of the real main window, over the real serial component,
// against the KV417R emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "mainform_a.h"
#include "model_a/main.h"
#include "msgrecorder.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "sim/kv417r.h"
#include "sim/ptytransport.h"
#include "testdir.h"

using kva::TMainForm;
using kvsim::Kv417r;
using kvsim::Kv417rFaults;
using kvsim::PtyTransport;
using kvtest::logLines;

namespace {

// Lines logged after the start-up lines.
QStringList commandLines(const TMainForm& w) {
    return logLines(w).mid(6);
}

QStringList receiveProgress(int upTo) {
    QStringList lines;
    for (int p = 10; p <= upTo; p += 10)
        lines << QString::asprintf("  %3d %% Finished [Receive]", p);
    return lines;
}

QStringList writeProgress() {
    QStringList lines;
    for (int p = 10; p <= 100; p += 10) lines << QString::asprintf("  %3d %% Finished [Write]", p);
    return lines;
}

// A memory with channels 1 and 3 used and every set-mode field off its default.
Kv417r::Memory goldenMemory() {
    Kv417r::Memory m{};
    const uint8_t ch1[8] = {0x22, 0x40, 0x00, 0x01, 0x22, 0x50, 0x00, 0x81};  // L1, SQL L1
    const uint8_t ch3[8] = {0x22, 0x95, 0x13, 0x95, 0x23, 0x00, 0x00, 0xF3};  // all bits set
    std::copy(ch1, ch1 + 8, m.begin());
    std::copy(ch3, ch3 + 8, m.begin() + 16);
    m[0x08 + 7] = 0x45;  // channel 2: bit 7 clear, so empty whatever else it holds
    m[0xDC] = 11;        // Time Out 1200
    m[0xDD] = 8;         // SAVE 9.0
    m[0xDE] = 0x17;      // 8 bit, 2 bit, VCO bits 01 (Tx off), Remote enable
    m[0xDF] = 0x6F;      // Data, Busy, FSQC, EXT set; SB 2; SP 1
    m[0xE0] = 0xC1;      // calibration: never touched by the main window
    m[0xFE] = 0xE3;
    m[0xFF] = 0x5A;
    return m;
}

class ModemCommands : public testing::Test {
  protected:
    void SetUp() override {
        modem = std::make_unique<PtyTransport>(std::make_unique<Kv417r>(goldenMemory()));
        qputenv("KVPROG_COM1", QByteArray::fromStdString(modem->devicePath()));
        window = std::make_unique<TMainForm>();
    }
    void TearDown() override {
        window.reset();
        modem.reset();
        qunsetenv("KVPROG_COM1");
    }

    void arm(const Kv417rFaults& f) {
        modem->withModem<Kv417r>([&](Kv417r& m) {
            m.setFaults(f);
            m.clearLog();
        });
    }
    Kv417r::Memory memory() {
        return modem->withModem<Kv417r>([](Kv417r& m) { return m.memory(); });
    }
    std::vector<Kv417r::Frame> frames() {
        return modem->withModem<Kv417r>([](Kv417r& m) { return m.frames(); });
    }

    // A table that normal mode may write: channel 2 with both frequencies.
    void storeChannel(int ch, const QString& rx, const QString& tx) {
        TMainForm& w = *window;
        w.CurrentCh = ch;
        kvtest::fillEditPanel(w, rx, tx, 1, 1, 1, 1, 1);
        w.B_SetClick();
        ASSERT_TRUE(w.SetData.Ch[ch - 1].Used);
    }

    void expectDefaults() {
        TMainForm& w = *window;
        for (const auto& ch : w.SetData.Ch) EXPECT_FALSE(ch.Used);
        for (int c = 1; c <= 7; ++c) EXPECT_EQ(w.cellText(1, c), "");
        EXPECT_EQ(w.RG_SB->ItemIndex(), 3);
        EXPECT_EQ(w.CB_Tot->currentIndex(), 0);
    }

    kvtest::MessageRecorder boxes;
    std::unique_ptr<PtyTransport> modem;
    std::unique_ptr<TMainForm> window;
};

}  // namespace

TEST_F(ModemCommands, ReceiveFillsGridControlsAndPanel) {
    TMainForm& w = *window;
    w.ReceivePCKV1Click();
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    QStringList expected{"Default Set", "***** Receive Start *****"};
    expected << receiveProgress(100) << "***** Receive Finished *****";
    EXPECT_EQ(commandLines(w), expected);
    EXPECT_FALSE(w.CommX1->IsOpen());

    EXPECT_EQ(w.cellText(3, 1), "229.5130");
    EXPECT_EQ(w.cellText(3, 2), "230.0000");
    EXPECT_EQ(w.cellText(3, 3), "    L3");
    EXPECT_EQ(w.cellText(3, 4), "2400/1200");
    EXPECT_EQ(w.cellText(3, 5), " ON");
    EXPECT_EQ(w.cellText(3, 6), "1200");
    EXPECT_EQ(w.cellText(3, 7), "    L5") << "the upper nibble of the squelch byte is ignored";
    EXPECT_EQ(w.cellText(1, 5), "OFF");
    EXPECT_EQ(w.cellText(1, 4), "     4800");
    for (int c = 1; c <= 7; ++c) EXPECT_EQ(w.cellText(2, c), "");
    EXPECT_FALSE(w.SetData.Ch[1].Used);
    EXPECT_TRUE(w.SetData.Ch[2].Used);
    EXPECT_DOUBLE_EQ(w.SetData.Ch[2].RxFrq, 229.513);

    const kva::TSetMode m = w.controlSetMode();
    EXPECT_EQ(m.Data, 1);
    EXPECT_EQ(m.Busy, 1);
    EXPECT_EQ(m.FSQC, 1);
    EXPECT_EQ(m.EXT, 1);
    EXPECT_EQ(m.VCO, 0);
    EXPECT_EQ(m.SB, 2);
    EXPECT_EQ(m.SP, 1);
    EXPECT_EQ(m.ST, 1);
    EXPECT_EQ(m.SD, 1);
    EXPECT_EQ(m.RMT, 1);
    EXPECT_EQ(m.Tot, 11);
    EXPECT_EQ(m.Save, 8);
    EXPECT_EQ(m.SL, 0);
    // The read leaves the block's set-mode copy alone.
    EXPECT_EQ(w.SetData.Mode.SB, 3);

    EXPECT_EQ(w.CurrentCh, 1);
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.E_RxFrq->text(), "224.0000");
    EXPECT_EQ(w.E_TxFrq->text(), "225.0000");
    EXPECT_EQ(w.CB_Power->currentText(), "L1");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
    w.show();
    w.grab().save(kvtest::artefactPath("kvprog_a_after_receive.png"));
}

TEST_F(ModemCommands, ReceiveOfErasedMemoryFailsMarkerCheck) {
    modem->withModem<Kv417r>([](Kv417r& m) { m.setMemory(Kv417r::erasedMemory()); });
    window->ReceivePCKV1Click();
    EXPECT_EQ(commandLines(*window).last(), "***** EEPROM Error!! *****");
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, "EEPROM Initialization Error!!");
    EXPECT_FALSE(window->CommX1->IsOpen());
    expectDefaults();
}

TEST_F(ModemCommands, ReceiveCommunicationFailures) {
    struct Case {
        const char* what;
        Kv417rFaults faults;
        int progressUpTo;
        int error;
    };
    std::vector<Case> cases;
    Kv417rFaults f;
    f.silenceAfterBytes = 0;
    cases.push_back({"silent acknowledge", f, 0, 1});
    f.silenceAfterBytes = 3 + 100;
    cases.push_back({"silent inside the block", f, 30, 1});
    f.silenceAfterBytes = 3 + 256;
    cases.push_back({"silent checksum", f, 90, 1});
    f = {};
    f.wrongAckPosition = 1;
    cases.push_back({"wrong first byte", f, 0, 2});
    f.wrongAckPosition = 2;
    cases.push_back({"wrong second byte", f, 0, 2});
    f = {};
    f.readAllThirdByte = 0x80;
    cases.push_back({"third byte not 0x81", f, 0, 2});
    f = {};
    f.wrongBlockChecksum = true;
    cases.push_back({"wrong block checksum", f, 90, 2});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Something in the window first, to see it replaced by the defaults.
        storeChannel(2, "224", "225");
        window->ClearResult();
        boxes.boxes.clear();
        arm(c.faults);
        window->ReceivePCKV1Click();
        const QString message = QString("Communication Error[%1]!!").arg(c.error);
        QStringList expected{"Default Set", "***** Receive Start *****"};
        expected << receiveProgress(c.progressUpTo) << "***** " + message + " *****";
        EXPECT_EQ(logLines(*window), expected);
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, message);
        EXPECT_FALSE(window->CommX1->IsOpen());
        expectDefaults();
        arm({});
    }
}

TEST_F(ModemCommands, PortThatCannotBeOpened) {
    qputenv("KVPROG_COM1", "/nonexistent/ttyKV");
    window->ReceivePCKV1Click();
    EXPECT_EQ(commandLines(*window), QStringList({"Default Set", "***** Receive Start *****"}));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith("It was open, and it didn't come [ the port ]."));
    EXPECT_FALSE(window->CommX1->IsOpen());
}

TEST_F(ModemCommands, TransmitWritesVerifiesAndLeavesWindowAlone) {
    TMainForm& w = *window;
    storeChannel(2, "229.5125", "230");
    w.RG_VCO->setItemIndex(1);
    w.CB_Tot->setCurrentIndex(4);
    modem->withModem<Kv417r>([](Kv417r& m) {
        m.setAckThirdByte(0x5A);  // any third byte is fine after Write Word
        m.clearLog();
    });
    w.ClearResult();
    w.TransmitPCKV1Click();

    ASSERT_EQ(boxes.boxes.size(), 1) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Information);
    EXPECT_EQ(boxes.boxes[0].text, "Data Write OK!!");
    QStringList expected{"***** Transmit Start *****"};
    expected << writeProgress() << "***** Transmit Finished *****"
             << "***** Data Compare Start *****" << receiveProgress(100)
             << "***** Data Compare Finish *****";
    EXPECT_EQ(logLines(w), expected);
    EXPECT_FALSE(w.CommX1->IsOpen());

    const auto sent = frames();
    ASSERT_EQ(sent.size(), 70u);
    std::vector<int> words;
    for (size_t i = 0; i < 69; ++i) {
        EXPECT_EQ(sent[i][1], 0x01);
        words.push_back(sent[i][2]);
    }
    std::vector<int> expectedWords;
    for (int wd = 0; wd <= 0x3F; ++wd) expectedWords.push_back(wd);
    for (int wd : {0x60, 0x6D, 0x6E, 0x6F, 0x7F}) expectedWords.push_back(wd);
    EXPECT_EQ(words, expectedWords);
    EXPECT_EQ(sent[69][1], 0x04);

    const Kv417r::Memory m = memory();
    const uint8_t ch2[8] = {0x22, 0x95, 0x13, 0x02, 0x23, 0x00, 0x00, 0xF2};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m[8 + i], ch2[i]) << i;
    for (int a = 0; a < 8; ++a) EXPECT_EQ(m[a], 0) << "channel 1 is empty now";
    for (int a = 16; a < 0x80; ++a) EXPECT_EQ(m[a], 0);
    EXPECT_EQ(m[0xC1], 0);
    EXPECT_EQ(m[0xDA], 0);
    EXPECT_EQ(m[0xDB], 0);
    EXPECT_EQ(m[0xDC], 4);
    EXPECT_EQ(m[0xDD], 0);
    EXPECT_EQ(m[0xDE], 0x0D);  // 8 bit, VCO Tx on (11)
    EXPECT_EQ(m[0xDF], 0xB0);  // 9600 bps, EVEN
    EXPECT_EQ(m[0xE0], 0xC1) << "the calibration block is never written";
    EXPECT_EQ(m[0xFE], 0xE3);
    EXPECT_EQ(m[0xFF], 0x5A);

    EXPECT_EQ(w.cellText(2, 5), " ON ");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
}

TEST_F(ModemCommands, TransmitReadBackDifferenceIsDataWriteNg) {
    storeChannel(1, "224", "225");
    Kv417rFaults f;
    f.ignoredWriteWord = 0x7F;
    modem->withModem<Kv417r>([](Kv417r& m) { m.setMemory(Kv417r::erasedMemory()); });
    arm(f);
    window->TransmitPCKV1Click();
    EXPECT_EQ(commandLines(*window).last(), "***** Data Compare NG!! *****");
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, "Data Write NG!!");
    EXPECT_FALSE(window->CommX1->IsOpen());
}

TEST_F(ModemCommands, TransmitCommunicationFailures) {
    storeChannel(1, "224", "225");
    struct Case {
        const char* what;
        Kv417rFaults faults;
        int error;
        int framesSent;
    };
    Kv417rFaults silentWrite;
    silentWrite.silenceAfterBytes = 3 * 10;  // the 11th Write Word gets no answer
    Kv417rFaults wrongSecond;
    wrongSecond.wrongAckPosition = 2;
    wrongSecond.wrongAckOnFrame = 20;
    Kv417rFaults badThird;
    badThird.readAllThirdByte = 0x00;
    Kv417rFaults badSum;
    badSum.wrongBlockChecksum = true;
    const Case cases[] = {{"silence during the write", silentWrite, 1, 11},
                          {"wrong acknowledge during the write", wrongSecond, 2, 20},
                          {"verify acknowledge", badThird, 2, 70},
                          {"verify checksum", badSum, 2, 70}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->ClearResult();
        boxes.boxes.clear();
        arm(c.faults);
        window->TransmitPCKV1Click();
        const QString message = QString("Communication Error[%1]!!").arg(c.error);
        EXPECT_EQ(logLines(*window).last(), "***** " + message + " *****");
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].text, message);
        EXPECT_EQ(static_cast<int>(frames().size()), c.framesSent);
        EXPECT_FALSE(window->CommX1->IsOpen());
        EXPECT_TRUE(window->SetData.Ch[0].Used) << "a failed write changes nothing in the window";
    }
}

TEST_F(ModemCommands, TransmitValidationOrderSendsNothing) {
    TMainForm& w = *window;
    const std::vector<std::pair<std::function<void(int)>, QString>> controls = {
        {[&](int i) { w.RG_Data->setItemIndex(i); }, "Data/Audio Signal"},
        {[&](int i) { w.RG_Busy->setItemIndex(i); }, "Busy Signal"},
        {[&](int i) { w.RG_FSQC->setItemIndex(i); }, "FSQC"},
        {[&](int i) { w.RG_EXT->setItemIndex(i); }, "EXT SQC"},
        {[&](int i) { w.RG_VCO->setItemIndex(i); }, "VCO"},
        {[&](int i) { w.RG_SB->setItemIndex(i); }, "Baud-Rate"},
        {[&](int i) { w.RG_SP->setItemIndex(i); }, "Parity"},
        {[&](int i) { w.RG_ST->setItemIndex(i); }, "Stop Bit"},
        {[&](int i) { w.RG_SD->setItemIndex(i); }, "DATA Len"},
        {[&](int i) { w.RG_RMT->setItemIndex(i); }, "Remote"},
        {[&](int i) { w.CB_Tot->setCurrentIndex(i); }, "Time Out Timer"},
        {[&](int i) { w.CB_Save->setCurrentIndex(i); }, "Save Time"},
        {[&](int i) { w.CB_SL->setCurrentIndex(i); }, "Sleep"},
    };
    for (const auto& c : controls) c.first(-1);
    arm({});
    for (const auto& c : controls) {
        boxes.boxes.clear();
        w.TransmitPCKV1Click();
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, "Setting Error!! [" + c.second + "]");
        EXPECT_EQ(logLines(w).last(), "***** Setting Error!! *****");
        c.first(0);
    }
    // Every control selected, but no channel with both frequencies: normal mode refuses.
    boxes.boxes.clear();
    w.SetData.Ch[4].RxFrq = 224;  // one frequency alone does not count
    w.TransmitPCKV1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, "Setting Error!! [Frq. Data]");
    EXPECT_TRUE(frames().empty());
    EXPECT_FALSE(w.CommX1->IsOpen());
}

TEST_F(ModemCommands, ProductionModeWritesAnEmptyTable) {
    kvtest::writeFile("Seisan.FMT", "");  // looked up anew on every write
    arm({});
    window->TransmitPCKV1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, "Data Write OK!!");
    const Kv417r::Memory m = memory();
    for (int a = 0; a < 0x80; ++a) ASSERT_EQ(m[a], 0) << a;
}

TEST_F(ModemCommands, ReceiveDuringTransmitIsRefusedAndCloseWaits) {
    TMainForm& w = *window;
    storeChannel(1, "224", "225");
    w.show();
    bool closedEarly = false;
    QTimer::singleShot(150, &w, [&] {
        w.ReceivePCKV1Click();  // must not reset the table under the running write
        w.N21Click();           // nor move the port under it
        w.close();
        closedEarly = !w.isVisible();
    });
    w.TransmitPCKV1Click();
    EXPECT_FALSE(closedEarly);
    ASSERT_EQ(boxes.boxes.size(), 3) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(boxes.boxes[0].text, "A port has already been opened.");
    EXPECT_EQ(boxes.boxes[1].text, "A port has already been opened.");
    EXPECT_EQ(boxes.boxes[2].text, "Data Write OK!!");
    EXPECT_EQ(w.CommX1->PortNo(), 1);
    EXPECT_TRUE(w.N11->isChecked());
    EXPECT_FALSE(w.N21->isChecked());
    EXPECT_TRUE(w.SetData.Ch[0].Used);
    EXPECT_FALSE(logLines(w).contains("***** Receive Start *****"));
    // The close asked for during the transfer happens once it has ended.
    for (int i = 0; i < 200 && w.isVisible(); ++i) QTest::qWait(10);
    EXPECT_FALSE(w.isVisible());
}
