// COM > Receive and COM > Transmit of the real main window, over the real serial component,
// against the KV417R emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>

#include "emulator.h"
#include "filedialogs.h"
#include "filehelpers.h"
#include "mainform_a.h"
#include "model_a/main.h"
#include "model_a/settings.h"
#include "msgrecorder.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "sim/kv417r.h"
#include "testdata.h"
#include "testdir.h"
#include "transfer_edits.h"
#include "transfer_faults.h"

using kva::TMainForm;
using kvsim::Kv417r;
using kvsim::Kv417rFaults;
using kvtest::logLines;
using kvtest::progressLines;

namespace {

// Lines logged after the start-up lines.
QStringList commandLines(const TMainForm& w) {
    return logLines(w).mid(6);
}

QStringList receiveProgress(int upTo) {
    return progressLines("Receive", upTo);
}

QStringList writeProgress() {
    return progressLines("Write", 100);
}

// Channels 1 and 3 used and every set-mode field off its default (see tests/data/README.md).
Kv417r::Memory goldenMemory() {
    return kvtest::memoryImage<Kv417r::Memory>("kv417r_receive.bin");
}

// Stores channel `ch` through the edit panel, with both frequencies.
void storeChannel(TMainForm& w, int ch, const QString& rx, const QString& tx) {
    w.CurrentCh = ch;
    kvtest::fillEditPanel(w, rx, tx, 1, 1, 1, 1, 1);
    w.B_SetClick();
    ASSERT_TRUE(w.SetData.Ch[ch - 1].Used);
}

}  // namespace

// The KV417R's side of the shared link-fault and verify-fault cases.
struct Kv417rTransfer {
    using Window = TMainForm;
    using Machine = Kv417r;
    using Faults = Kv417rFaults;

    static Machine::Memory memory() { return goldenMemory(); }
    static void fillChannel(Window& w, int ch) { storeChannel(w, ch, "224", "225"); }
    static bool channelUsed(const Window& w, int ch) { return w.SetData.Ch[ch - 1].Used; }

    static void fillWindow(Window& w) {
        storeChannel(w, 2, "224", "225");
        storeChannel(w, 16, "229.5125", "230");
        w.RG_SB->setItemIndex(1);
        w.CB_Save->setCurrentIndex(5);
        w.SG_ChData->setCurrentCell(4, 0);  // channel 5, empty, with unstored edits
        kvtest::fillEditPanel(w, "231", "232", 3, 1, 0, 1, 6);
        ASSERT_EQ(w.CurrentCh, 5);
    }
    static QByteArray modelState(const Window& w) {
        const kva::TSetMode m = w.controlSetMode();
        QByteArray s(reinterpret_cast<const char*>(&w.SetData), sizeof w.SetData);
        s.append(reinterpret_cast<const char*>(&m), sizeof m);
        for (const QComboBox* box : {w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR, w.CB_SQL})
            s.append(char(box->currentIndex()));
        return s;
    }
    static std::vector<std::pair<const char*, Machine::Memory>> unformattedMemories() {
        Machine::Memory firstWrong = goldenMemory();
        firstWrong[0xFE] = 0xE2;
        Machine::Memory secondWrong = goldenMemory();
        secondWrong[0xFF] = 0x5B;
        return {{"erased", Machine::erasedMemory()},
                {"0xFE wrong", firstWrong},
                {"0xFF wrong", secondWrong}};
    }

    static std::vector<kvtest::ReceiveFault<Faults>> receiveFaults() {
        std::vector<kvtest::ReceiveFault<Faults>> cases;
        Faults f;
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
        return cases;
    }

    static std::vector<kvtest::TransmitFault<Faults>> transmitFaults() {
        Faults silentWrite;
        silentWrite.silenceAfterBytes = 3 * 10;  // the 11th Write Word gets no answer
        Faults wrongSecond;
        wrongSecond.wrongAckPosition = 2;
        wrongSecond.wrongAckOnFrame = 20;
        Faults badThird;
        badThird.readAllThirdByte = 0x00;
        Faults badSum;
        badSum.wrongBlockChecksum = true;
        return {{"silence during the write", silentWrite, 1, 11},
                {"wrong acknowledge during the write", wrongSecond, 2, 20},
                {"verify acknowledge", badThird, 2, 70},
                {"verify checksum", badSum, 2, 70}};
    }

    static Faults readBackDifference() {
        Faults f;
        f.ignoredWriteWord = 0x7F;
        return f;
    }
    static constexpr int transmitFrames = 70;
};

namespace kvtest {
INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, MainWindowTransfer, Kv417rTransfer);
INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, EditsDuringTransfer, Kv417rTransfer);
}  // namespace kvtest

namespace {

class ModemCommands : public testing::Test {
  protected:
    void arm(const Kv417rFaults& f) { modem.arm(f); }
    Kv417r::Memory memory() { return modem.memory(); }
    std::vector<Kv417r::Frame> frames() { return modem.frames(); }
    void storeChannel(int ch, const QString& rx, const QString& tx) {
        ::storeChannel(*window, ch, rx, tx);
    }

    kvtest::MessageRecorder boxes;
    kvtest::EmulatedModem<Kv417r> modem{1, goldenMemory()};
    std::unique_ptr<TMainForm> window = std::make_unique<TMainForm>();
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

TEST_F(ModemCommands, TransmitWritesVerifiesAndLeavesWindowAlone) {
    TMainForm& w = *window;
    storeChannel(2, "229.5125", "230");
    w.RG_VCO->setItemIndex(1);
    w.CB_Tot->setCurrentIndex(4);
    modem.with([](Kv417r& m) {
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

TEST_F(ModemCommands, FrequencyTheCodeCannotHoldStopsTheWriteBeforeThePortOpens) {
    TMainForm& w = *window;
    storeChannel(1, "224", "225");
    // As a settings file or a modem may leave them; only used channels are written.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int ch;
        double rx, tx;
        const char* message;
    } cases[] = {{3, 1229.5, 230.0, "Setting Error!! [Frq. Data CH 3]"},
                 {16, 230.0, 1000.0, "Setting Error!! [Frq. Data CH16]"},
                 {9, 999.9995, 230.0, "Setting Error!! [Frq. Data CH 9]"},  // rounds to 1000
                 {2, -0.001, 230.0, "Setting Error!! [Frq. Data CH 2]"},
                 {2, 230.0, nan, "Setting Error!! [Frq. Data CH 2]"}};
    arm({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        boxes.boxes.clear();
        kva::TChData& ch = w.SetData.Ch[c.ch - 1];
        const kva::TChData before = ch;
        ch = w.SetData.Ch[0];
        ch.RxFrq = c.rx;
        ch.TxFrq = c.tx;
        w.TransmitPCKV1Click();
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, c.message);
        EXPECT_EQ(logLines(w).last(), "***** Setting Error!! *****");
        EXPECT_FALSE(logLines(w).contains("***** Transmit Start *****"));
        ch = before;
    }
    EXPECT_TRUE(frames().empty());
    EXPECT_FALSE(w.CommX1->IsOpen());
}

TEST_F(ModemCommands, ReadBackDifferingOnlyAtTheEndOfARangeIsDataWriteNg) {
    storeChannel(1, "224", "225");
    Kv417rFaults f;
    f.stuckAddress = 0xDF;  // the last set-mode byte; written as 0xB0 with the defaults
    f.stuckValue = 0x00;
    arm(f);
    window->TransmitPCKV1Click();
    ASSERT_EQ(boxes.texts(), QStringList{"Data Write NG!!"});
    EXPECT_EQ(logLines(*window).last(), "***** Data Compare NG!! *****");
}

TEST_F(ModemCommands, ProductionModeWritesAnEmptyTable) {
    kvtest::writeFile("Seisan.FMT", "");  // looked up anew on every write
    arm({});
    window->SetData.Ch[5].RxFrq = 1229.5;  // not used, so not written and not in the way
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

// kvctl reads and writes through the widget-free functions; here they are held against the
// window itself, with set-mode values beyond the controls' items on both roads.
TEST_F(ModemCommands, WidgetFreeLayerGivesTheWindowsBlockAndImage) {
    TMainForm& w = *window;
    kvtest::FileDialogScript dialogs;
    Kv417r::Memory beyond = goldenMemory();
    beyond[0xDF] |= 0xC0;  // parity 3: the radio group shows its last item
    beyond[0xDD] = 9;      // save time past its list: the drop-down shows none
    for (const Kv417r::Memory& memory : {goldenMemory(), beyond}) {
        modem.setMemory(memory);
        w.ReceivePCKV1Click();
        dialogs.answers.push_back(QStringLiteral("received.DAT"));
        w.SaveAs1Click();
        kva::MemoryImage image{};
        std::copy(memory.begin(), memory.end(), image.begin());
        EXPECT_EQ(kvtest::readFile("received.DAT"), kvtest::blockBytes(kva::receivedBlock(image)));
    }

    // A file whose radio-group values lie past their items: Open shows the last items, and
    // Transmit sends what they hold.
    kva::TSetData file = kva::defaultSetData();
    file.Ch[0] = kva::storedChannel(224.0, 225.0, {1, 1, 1, 1, 1});
    file.Mode.Data = 4;
    file.Mode.SB = 9;
    file.Mode.SP = 7;
    kvtest::writeFile(QStringLiteral("beyond.DAT"), kvtest::blockBytes(file));
    dialogs.answers.push_back(QStringLiteral("beyond.DAT"));
    w.OPEN1Click();
    const kva::TSetMode shown = kva::shownSetMode(file.Mode);
    const kva::TSetMode controls = w.controlSetMode();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&shown), sizeof shown),
              QByteArray(reinterpret_cast<const char*>(&controls), sizeof controls));
    modem.setMemory(Kv417r::erasedMemory());
    w.TransmitPCKV1Click();
    ASSERT_EQ(boxes.texts().last(), "Data Write OK!!");
    const kva::MemoryImage expected = kva::writeImage(file, shown);
    const Kv417r::Memory written = memory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 0x80, written.begin()));
    for (int a : {0xC0, 0xC1, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xFE, 0xFF})
        EXPECT_EQ(written[a], expected[a]) << a;

    // A value past a drop-down's list refuses the write, with the same text either way.
    file.Mode.Tot = 12;
    kvtest::writeFile(QStringLiteral("beyond.DAT"), kvtest::blockBytes(file));
    dialogs.answers.push_back(QStringLiteral("beyond.DAT"));
    w.OPEN1Click();
    boxes.boxes.clear();
    w.TransmitPCKV1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text,
              kva::firstSettingError(file, kva::shownSetMode(file.Mode), false));
    EXPECT_EQ(boxes.boxes[0].text, "Setting Error!! [Time Out Timer]");
}
