// COM > Receive and COM > Transmit of the real kvprog_b main window, over the real serial
// component, against the KV93x emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "emulator.h"
#include "filedialogs.h"
#include "mainform_b.h"
#include "model_b/settings.h"
#include "msgrecorder.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "sim/kv93x.h"
#include "testdata.h"
#include "testdir.h"
#include "transfer_edits.h"
#include "transfer_faults.h"
#include "ui/channelgrid.h"

using kvb::TMainForm;
using kvsim::Kv93x;
using kvtest::logLines;
using kvtest::progressLines;
using kvtest::rowTexts;
using Faults = Kv93x::Faults;

namespace {

// Channels 1 to 4 and 16 used, channel 5 flagged unused over data (see tests/data/README.md).
Kv93x::Memory goldenMemory() {
    return kvtest::memoryImage<Kv93x::Memory>("kv93x_receive.bin");
}

// Stores channel `ch` through the edit panel, with both frequencies.
void storeChannel(TMainForm& w, int ch, const QString& rx, const QString& tx) {
    w.CurrentCh = ch;
    kvtest::fillEditPanel(w, rx, tx);
    w.B_SetClick();
    ASSERT_EQ(w.SetData.Ch[ch - 1].Used, 1);
}

// A reply byte other than 0x06 on frame n after arming.
Faults refusalOnFrame(int n) {
    return {.wrongAckPosition = 1, .wrongAckValue = 0x15, .wrongAckOnFrame = n};
}

}  // namespace

// The KV93x side of the shared link-fault and verify-fault cases.
struct Kv93xTransfer {
    using Window = TMainForm;
    using Machine = Kv93x;
    using Faults = ::Faults;

    static Machine::Memory memory() { return goldenMemory(); }
    static void fillChannel(Window& w, int ch) { storeChannel(w, ch, "223.0125", "230"); }
    static bool channelUsed(const Window& w, int ch) { return w.SetData.Ch[ch - 1].Used == 1; }

    static void fillWindow(Window& w) {
        storeChannel(w, 2, "224", "225");
        storeChannel(w, 16, "229.00625", "230.005");
        w.RG_SB->setItemIndex(1);
        w.CB_Save->setCurrentIndex(5);
        w.SG_ChData->setCurrentCell(4, 0);  // channel 5, empty, with unstored edits
        kvtest::fillEditPanel(w, "231", "232", 2, 1, 0, 1);
        ASSERT_EQ(w.CurrentCh, 5);
    }
    static QByteArray modelState(const Window& w) {
        const kvb::TSetMode m = w.controlSetMode();
        QByteArray s(reinterpret_cast<const char*>(&w.SetData), sizeof w.SetData);
        s.append(reinterpret_cast<const char*>(&m), sizeof m);
        for (const QComboBox* box : {w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR})
            s.append(char(box->currentIndex()));
        return s;
    }
    static std::vector<std::pair<const char*, Machine::Memory>> unformattedMemories() {
        Machine::Memory firstWrong = goldenMemory();
        firstWrong[254] = 0x06;
        Machine::Memory secondWrong = goldenMemory();
        secondWrong[255] = 0x16;
        return {{"erased", Machine::erasedMemory()},
                {"byte 254 wrong", firstWrong},
                {"byte 255 wrong", secondWrong}};
    }

    // Counts of reply bytes include the acknowledge before the data.
    static std::vector<kvtest::ReceiveFault<Faults>> receiveFaults() {
        return {{"no acknowledge", {.silenceAfterBytes = 0}, 0, 1},
                {"data stop after 100 bytes", {.silenceAfterBytes = 1 + 100}, 30, 1},
                {"255 of 256 data bytes", {.silenceAfterBytes = 1 + 255}, 90, 1},
                {"0x15 for the read", refusalOnFrame(1), 0, 2},
                {"0x00 for the read", {.wrongAckPosition = 1, .wrongAckOnFrame = 1}, 0, 2}};
    }

    static std::vector<kvtest::TransmitFault<Faults>> transmitFaults() {
        return {{"word 10 unanswered", {.silenceAfterBytes = 10}, 1, 11},
                {"0x15 for word 19", refusalOnFrame(20), 2, 20},
                {"word 127 unanswered", {.silenceAfterBytes = 118}, 1, 119},
                {"0x15 for the verify read", refusalOnFrame(120), 2, 120},
                {"verify data stop after 17 bytes", {.silenceAfterBytes = 119 + 1 + 17}, 1, 120}};
    }

    // The format mark, the last word written, is acknowledged but not kept.
    static Faults readBackDifference() { return {.ignoredWriteWord = 127}; }
    static constexpr int transmitFrames = 120;
};

namespace kvtest {
INSTANTIATE_TYPED_TEST_SUITE_P(KV93x, MainWindowTransfer, Kv93xTransfer);
INSTANTIATE_TYPED_TEST_SUITE_P(KV93x, EditsDuringTransfer, Kv93xTransfer);
}  // namespace kvtest

namespace {

class KvbModemCommands : public testing::Test {
  protected:
    // Lines logged after the start-up lines.
    QStringList commandLines() const { return logLines(*window).mid(6); }
    void expectOneBox(platform::MsgKind kind, const QString& text) {
        ASSERT_EQ(boxes.boxes.size(), 1) << boxes.texts().join('|').toStdString();
        EXPECT_EQ(boxes.boxes[0].kind, kind);
        EXPECT_EQ(boxes.boxes[0].text, text);
    }
    // A Transmit that is refused before the port is opened.
    void expectSettingError(const QString& text) {
        boxes.boxes.clear();
        modem.arm({});
        window->TransmitPCKV1Click();
        expectOneBox(platform::MsgKind::Error, text);
        EXPECT_EQ(logLines(*window).last(), "***** Setting Error!! *****");
        EXPECT_FALSE(logLines(*window).contains("***** Transmit Start *****"));
        EXPECT_TRUE(modem.frames().empty());
        EXPECT_FALSE(window->CommX1->IsOpen());
    }
    // What a Transmit must leave alone: table, set-mode controls, grid and edit panel.
    QStringList windowState() const {
        const TMainForm& w = *window;
        QStringList s{QString::fromLatin1(Kv93xTransfer::modelState(w).toHex())};
        for (int ch = 1; ch <= 16; ++ch) s << rowTexts(w, ch);
        s << QString::number(w.CurrentCh) << w.E_RxFrq->text() << w.E_TxFrq->text()
          << w.windowTitle();
        return s;
    }

    kvtest::MessageRecorder boxes;
    kvtest::EmulatedModem<Kv93x> modem{1, goldenMemory()};
    std::unique_ptr<TMainForm> window = std::make_unique<TMainForm>();
};

TEST_F(KvbModemCommands, GoldenReceiveFillsGridControlsAndPanel) {
    TMainForm& w = *window;
    kvtest::fillEditPanel(w, "1", "230");
    w.B_SetClick();  // refused: the receive field turns red
    w.ClearResult();
    w.ReceivePCKV1Click();

    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    QStringList expected{"Default Set", "***** Receive Start *****"};
    expected << progressLines("Receive", 100) << "***** Receive Finished *****";
    EXPECT_EQ(logLines(w), expected);
    EXPECT_FALSE(w.CommX1->IsOpen());
    EXPECT_EQ(modem.frameTexts(),
              std::vector<std::string>{"0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1"});

    const QStringList empty(6, QString());
    const struct {
        int ch;
        QStringList texts;
    } rows[] = {
        {1, {"223.0000", "223.0000", "HIGH", "4800", "OFF", "2400"}},
        {2, {"224.0125", "225.5125", "MID ", "2400/1200", " ON", "1200"}},
        // Flag 0x80 and zero codes: still shown, the receive frequency below zero.
        {3, {"-45.1000", "0.0000", "HIGH", "4800", "OFF", "2400"}},
        // 229.00625 as the nearest double, 229.006249999..., printed to four places.
        {4, {"229.0062", "229.0050", "LOW ", "4800", " ON", "2400"}},
        {5, empty},  // bit 7 of the flag clear, whatever the other bytes hold
        {15, empty},
        {16, {"234.9950", "234.9875", "MID ", "2400/1200", "OFF", "1200"}},
    };
    for (const auto& r : rows) EXPECT_EQ(rowTexts(w, r.ch), r.texts) << "CH" << r.ch;
    EXPECT_EQ(w.SetData.Ch[4].Used, 0);
    EXPECT_EQ(w.SetData.Ch[4].Power, -1);

    EXPECT_EQ((std::array{w.RG_Data->ItemIndex(), w.RG_Busy->ItemIndex(), w.RG_FSQC->ItemIndex(),
                          w.RG_SB->ItemIndex(), w.RG_SP->ItemIndex()}),
              (std::array{1, 0, 1, 2, 1}));
    EXPECT_EQ(w.CB_Tot->currentText(), "600");
    EXPECT_EQ(w.CB_Save->currentText(), "5.0");

    EXPECT_EQ(w.CurrentCh, 1);
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.E_RxFrq->text(), "223.0000");
    EXPECT_EQ(w.E_TxFrq->text(), "223.0000");
    EXPECT_EQ(w.E_RxFrq->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ((QStringList{w.CB_Power->currentText(), w.CB_BR->currentText(),
                           w.CB_DA->currentText(), w.CB_MBR->currentText()}),
              (QStringList{"HIGH", "4800", "OFF", "2400"}));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.grab().save(kvtest::artefactPath("kvprog_b_after_receive.png")));
}

// A modem whose channels are stored at finer steps than their frequencies need gets back
// from a Receive and a Transmit without edits every byte it held, but the date of writing.
TEST_F(KvbModemCommands, ReceiveThenTransmitWritesBackWhatWasRead) {
    const auto golden = kvtest::memoryImage<Kv93x::Memory>("kv93x_fine_steps.bin");
    modem.setMemory(golden);
    TMainForm& w = *window;
    w.Today = [] { return QDate(2026, 12, 9); };
    w.ReceivePCKV1Click();
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(rowTexts(w, 1),
              (QStringList{"230.0000", "230.0000", "MID ", "2400/1200", " ON", "2400"}));
    w.TransmitPCKV1Click();
    expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
    Kv93x::Memory expected = golden;
    expected[251] = 0x26;
    expected[252] = 0x12;
    expected[253] = 0x09;
    EXPECT_EQ(modem.memory(), expected);
}

// Set-mode values beyond the items: a radio group takes its last item, Time Out Timer none,
// and the next Transmit refuses to write the blank it would otherwise send.
TEST_F(KvbModemCommands, ReceivedValuesBeyondTheItems) {
    Kv93x::Memory m = goldenMemory();
    m[161] |= 0x30;  // SB 11
    m[162] = 12;     // one past "1200"
    modem.setMemory(m);
    window->ReceivePCKV1Click();
    ASSERT_EQ(logLines(*window).last(), "***** Receive Finished *****");
    EXPECT_EQ(window->RG_SB->ItemIndex(), 2);
    EXPECT_EQ(window->RG_SB->itemText(2), "1200bps");
    EXPECT_EQ(window->CB_Tot->currentIndex(), -1);
    expectSettingError("Setting Error!! [Time Out Timer]");
}

// Receive, then Transmit on two days: each time 119 words and one read, the modem ends up
// with the table, the day of writing and its own calibration values, and the compare passes
// although the calibration bytes read back differ from the image's zeros.
TEST_F(KvbModemCommands, TransmitWritesTheTableWithTheDayAndVerifies) {
    TMainForm& w = *window;
    w.ReceivePCKV1Click();
    const QStringList before = windowState();
    for (const QDate day : {QDate(2025, 12, 31), QDate(2026, 1, 2)}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        w.Today = [day] { return day; };
        w.ClearResult();
        boxes.boxes.clear();
        modem.arm({});
        w.TransmitPCKV1Click();

        expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
        QStringList expected{"***** Transmit Start *****"};
        expected << progressLines("Write", 100) << "***** Transmit Finished *****"
                 << "***** Data Compare Start *****" << progressLines("Receive", 100)
                 << "***** Data Compare Finish *****";
        EXPECT_EQ(logLines(w), expected);
        EXPECT_FALSE(w.CommX1->IsOpen());

        const auto sent = modem.frames();
        ASSERT_EQ(sent.size(), 120u);
        std::vector<int> words;
        for (std::size_t i = 0; i < 119; ++i) {
            EXPECT_EQ(sent[i][1], Kv93x::kWriteWord);
            words.push_back(sent[i][2]);
        }
        std::vector<int> expectedWords;
        for (int a = 0; a <= 127; ++a)
            if (a < 112 || a > 120) expectedWords.push_back(a);
        EXPECT_EQ(words, expectedWords);
        EXPECT_EQ(kvtest::frameText(sent.back()), "0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1");

        // The golden memory, but channel 5 (unused) written as empty, and the new day.
        Kv93x::Memory image = goldenMemory();
        for (const int at : {16, 17, 18, 80, 81, 82, 136, 137}) image[at] = 0;
        image[251] = uint8_t((day.year() % 100 / 10) << 4 | day.year() % 10);
        image[252] = uint8_t((day.month() / 10) << 4 | day.month() % 10);
        image[253] = uint8_t((day.day() / 10) << 4 | day.day() % 10);
        EXPECT_EQ(modem.memory(), image);
        EXPECT_EQ(windowState(), before) << "a Transmit changed the window";
    }
}

// The compare reaches both ends of each compared range; the calibration area lies between.
TEST_F(KvbModemCommands, ReadBackDifferenceAtEitherEndOfARangeIsDataWriteNg) {
    TMainForm& w = *window;
    storeChannel(w, 1, "223.0125", "230");
    for (const int at : {0, 223, 242, 255}) {
        SCOPED_TRACE(at);
        boxes.boxes.clear();
        modem.arm({.stuckAddress = at, .stuckValue = 0xEE});
        w.TransmitPCKV1Click();
        expectOneBox(platform::MsgKind::Error, "Data Write NG!!");
        EXPECT_EQ(logLines(w).last(), "***** Data Compare NG!! *****");
        EXPECT_EQ(modem.frames().size(), 120u);
    }
}

// "[Frq. Data]" only in normal mode: the marker file is looked for at each Transmit.
TEST_F(KvbModemCommands, EmptyTableIsRefusedInNormalModeAndWrittenInProduction) {
    TMainForm& w = *window;
    w.SetData.Ch[3].RxFrq = 230;  // one frequency alone does not count
    expectSettingError("Setting Error!! [Frq. Data]");

    kvtest::writeFile(QStringLiteral("生産.FMT"), {});
    boxes.boxes.clear();
    w.TransmitPCKV1Click();
    expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
    const Kv93x::Memory m = modem.memory();
    for (int at = 0; at <= 163; ++at) {
        if (at != 161) {
            EXPECT_EQ(m[at], 0) << at;
        }
    }
    EXPECT_EQ(m[161], 0x02) << "the default set-mode byte: Busy \"H\"";
}

// A used channel whose frequency no step divides, or whose code cannot hold it, can only
// come from a settings file: the write stops before the port is opened and names it.
TEST_F(KvbModemCommands, ChannelWithoutACodeStopsTheTransmit) {
    TMainForm& w = *window;
    storeChannel(w, 1, "223.0125", "230");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int ch;
        double rx, tx;
        const char* message;
    } cases[] = {
        {3, 223.001, 230.0, "Setting Error!! [Frq. Data CH 3]"},    // no step divides it
        {16, 230.0, 230.0021, "Setting Error!! [Frq. Data CH16]"},  // nor this
        {9, 230.0, 655.365, "Setting Error!! [Frq. Data CH 9]"},    // 131073 steps of 5 kHz
        {2, -45.125, 230.0, "Setting Error!! [Frq. Data CH 2]"},    // below code 0
        {2, 230.0, nan, "Setting Error!! [Frq. Data CH 2]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        kvb::TChData& ch = w.SetData.Ch[c.ch - 1];
        const kvb::TChData before = ch;
        ch = w.SetData.Ch[0];
        ch.RxFrq = c.rx;
        ch.TxFrq = c.tx;
        expectSettingError(c.message);
        ch = before;
    }
    // A set-mode error is reported first, as the controls come before the table.
    w.SetData.Ch[2] = w.SetData.Ch[0];
    w.SetData.Ch[2].RxFrq = 223.001;
    w.RG_SP->setItemIndex(-1);
    expectSettingError("Setting Error!! [SP]");
}

// A Receive asked for while a Transmit runs is refused before its Default: the table being
// written stays.
TEST_F(KvbModemCommands, ReceiveDuringTransmitKeepsTheTable) {
    TMainForm& w = *window;
    storeChannel(w, 1, "223.0125", "230");
    QTimer::singleShot(150, &w, [&] { w.ReceivePCKV1Click(); });
    w.TransmitPCKV1Click();
    EXPECT_EQ(boxes.texts(), (QStringList{"A port has already been opened.", "Data Write OK!!"}));
    EXPECT_EQ(w.SetData.Ch[0].Used, 1);
    EXPECT_EQ(w.cellText(1, 1), "223.0125");
    EXPECT_FALSE(logLines(w).contains("***** Receive Start *****"));
    EXPECT_EQ(logLines(w).count("Default Set"), 1) << "only the one of start-up";
}

}  // namespace

// kvctl reads and writes through the widget-free functions; here they are held against the
// window itself, with set-mode values beyond the controls' items on both roads.
TEST_F(KvbModemCommands, WidgetFreeLayerGivesTheWindowsBlockAndImage) {
    TMainForm& w = *window;
    kvtest::FileDialogScript dialogs;
    Kv93x::Memory beyond = goldenMemory();
    beyond[161] |= 0xF0;  // SB and SP 3: the radio groups show their last items
    beyond[162] = 12;     // time-out past its list: the drop-down shows none
    for (const Kv93x::Memory& memory : {goldenMemory(), beyond}) {
        modem.setMemory(memory);
        w.ReceivePCKV1Click();
        dialogs.answers.push_back(QStringLiteral("received.DAT"));
        w.SaveAs1Click();
        kvb::MemoryImage image{};
        std::copy(memory.begin(), memory.end(), image.begin());
        const kvb::TSetData block = kvb::receivedBlock(image);
        EXPECT_EQ(kvtest::readFile("received.DAT"),
                  QByteArray(reinterpret_cast<const char*>(&block), sizeof block));
    }

    // A file with radio-group values past their items and a step no frequency of its has:
    // Open shows the last items, and Transmit sends what the controls hold, steps derived.
    kvb::TSetData file = kvb::defaultSetData();
    kvb::assignChannel(file.Ch[0], kvb::storedChannel(223.0125, 230.0, {1, 1, 1, 1}));
    file.Ch[0].TxRef = 3;
    file.Mode.Busy = 5;
    file.Mode.SB = 6;
    const QByteArray bytes(reinterpret_cast<const char*>(&file), sizeof file);
    kvtest::writeFile(QStringLiteral("beyond.DAT"), bytes);
    dialogs.answers.push_back(QStringLiteral("beyond.DAT"));
    w.OPEN1Click();
    const kvb::TSetMode shown = kvb::shownSetMode(file.Mode);
    const kvb::TSetMode controls = w.controlSetMode();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&shown), sizeof shown),
              QByteArray(reinterpret_cast<const char*>(&controls), sizeof controls));
    const QDate day(2025, 11, 30);
    w.Today = [day] { return day; };
    modem.setMemory(Kv93x::erasedMemory());
    boxes.boxes.clear();
    w.TransmitPCKV1Click();
    expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
    const kvb::MemoryImage expected = kvb::writeImage(file, shown, day);
    const Kv93x::Memory written = modem.memory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 224, written.begin()));
    EXPECT_TRUE(std::equal(expected.begin() + 242, expected.end(), written.begin() + 242));
}
