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
//       // Stored channels, set-mode controls off their defaults, and an edit panel on
//       // another channel with both frequencies typed and every list chosen, none of it
//       // stored: work a failed Receive must keep.
//       static void fillWindow(Window&);
//       // The table, the set-mode controls and the edit panel's lists, as bytes.
//       static QByteArray modelState(const Window&);
//       // Memories whose format mark is wrong, each with a name.
//       static std::vector<std::pair<const char*, Machine::Memory>> unformattedMemories();
//       static std::vector<ReceiveFault<Faults>> receiveFaults();
//       static std::vector<TransmitFault<Faults>> transmitFaults();
//       static Faults readBackDifference();              // a write kept wrong by the modem
//       static constexpr int transmitFrames = ...;       // the frames of a whole Transmit
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, MainWindowTransfer, Traits);
//
// Include this header in one source file of a test program only.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "emulator.h"
#include "filedialogs.h"
#include "logtext.h"
#include "msgrecorder.h"
#include "serial/CommX.h"
#include "testdir.h"
#include "tracetext.h"

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
    // Everything of the window a failed Receive must give back, seen from outside.
    QStringList shown() const {
        const Window& w = *window;
        QStringList s;
        for (int row = 1; row <= 16; ++row)
            for (int c = 1; c <= w.model().gridHeadings.size(); ++c) s << w.cellText(row, c);
        s << QString::number(w.CurrentCh) << w.E_ChNo->text() << w.E_RxFrq->text()
          << w.E_TxFrq->text() << w.E_RxFrq->palette().color(QPalette::Base).name()
          << QString::fromLatin1(Traits::modelState(w).toHex());
        return s;
    }
    // Runs a Receive that fails on a window with work in it: the error is reported after
    // `linesBeforeError` and followed by the restore line, and the window is as it was.
    void expectFailedReceiveKeepsWindow(const QStringList& linesBeforeError,
                                        const QString& errorLine, const QString& boxText) {
        auto& w = *window;
        const QStringList before = shown();
        forgetLogAndBoxes();
        w.ReceivePCKV1Click();
        QStringList expected{"Default Set", "***** Receive Start *****"};
        expected << linesBeforeError;
        if (!errorLine.isEmpty()) expected << errorLine;
        expected << "Previous Data Restored";
        EXPECT_EQ(logLines(*w.LB_Result), expected);
        ASSERT_EQ(boxes.boxes.size(), 1) << boxes.texts().join('|').toStdString();
        EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
        EXPECT_TRUE(boxes.boxes[0].text.startsWith(boxText)) << boxes.boxes[0].text.toStdString();
        EXPECT_FALSE(w.CommX1->IsOpen());
        EXPECT_EQ(shown(), before);
    }

    MessageRecorder boxes;
    EmulatedModem<Machine> modem{1, Traits::memory()};
    std::unique_ptr<Window> window = std::make_unique<Window>();
};

TYPED_TEST_SUITE_P(MainWindowTransfer);

TYPED_TEST_P(MainWindowTransfer, FailedReceiveKeepsTheWindow) {
    TypeParam::fillWindow(*this->window);
    for (const auto& c : TypeParam::receiveFaults()) {
        SCOPED_TRACE(c.what);
        this->modem.arm(c.faults);
        const QString message = this->commError(c.error);
        this->expectFailedReceiveKeepsWindow(progressLines("Receive", c.progressUpTo),
                                             "***** " + message + " *****", message);
    }
    this->modem.arm({});
    // A format mark with either byte wrong.
    for (const auto& [what, memory] : TypeParam::unformattedMemories()) {
        SCOPED_TRACE(what);
        this->modem.setMemory(memory);
        this->expectFailedReceiveKeepsWindow(progressLines("Receive", 100),
                                             "***** EEPROM Error!! *****",
                                             "EEPROM Initialization Error!!");
    }
    {
        SCOPED_TRACE("port that cannot be opened");
        qputenv("KVPROG_COM1", "/nonexistent/ttyKV");
        this->expectFailedReceiveKeepsWindow({}, {},
                                             "It was open, and it didn't come [ the port ].");
        qputenv("KVPROG_COM1", QByteArray::fromStdString(this->modem.devicePath()));
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

// Every reply byte is awaited a full second: replies that come 700 ms after the request
// still make a Receive and a Transmit, and a modem that falls silent is reported no sooner
// than a second after its last byte.
TYPED_TEST_P(MainWindowTransfer, EveryReplyIsAwaitedAFullSecond) {
    using std::chrono::milliseconds;
    using Clock = std::chrono::steady_clock;
    auto& w = *this->window;
    const milliseconds delay(700);
    typename TypeParam::Faults slow;
    slow.replyDelayMs = static_cast<int>(delay.count());
    this->modem.arm(slow);
    auto start = Clock::now();
    w.ReceivePCKV1Click();
    EXPECT_EQ(logLines(*w.LB_Result).last(), "***** Receive Finished *****");
    EXPECT_TRUE(this->boxes.boxes.isEmpty()) << this->boxes.texts().join('|').toStdString();
    EXPECT_GE(Clock::now() - start, delay);

    // A slow acknowledge halfway through the writes, and a slow verify read.
    TypeParam::fillChannel(w, 1);
    slow.replyDelayEvery = TypeParam::transmitFrames / 2;
    this->modem.arm(slow);
    start = Clock::now();
    w.TransmitPCKV1Click();
    this->expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
    EXPECT_EQ(static_cast<int>(this->modem.frames().size()), TypeParam::transmitFrames);
    EXPECT_GE(Clock::now() - start, 2 * delay);

    this->forgetLogAndBoxes();
    typename TypeParam::Faults silent;
    silent.silenceAfterBytes = 50;  // inside the block
    this->modem.arm(silent);
    w.ReceivePCKV1Click();
    this->expectOneBox(platform::MsgKind::Error, this->commError(1));
    const Clock::duration waited = this->boxes.lastShown - this->modem.lastReplyByteAt();
    EXPECT_GE(waited, milliseconds(1000));
    EXPECT_LT(waited, milliseconds(5000));
}

// A failed command leaves a trace of exactly what went over the line: the frames the modem
// got, the bytes it sent, the reply that did not come.
TYPED_TEST_P(MainWindowTransfer, FailedCommandsLeaveTheirTrace) {
    using Window = typename TypeParam::Window;
    auto& w = *this->window;
    TypeParam::fillChannel(w, 1);
    typename TypeParam::Faults silent, wrongAck;
    silent.silenceAfterBytes = 50;  // inside the block
    wrongAck.wrongAckPosition = 1;
    wrongAck.wrongAckOnFrame = 5;
    const struct {
        const char* what;
        typename TypeParam::Faults faults;
        void (Window::*command)();
        int timeouts;
        const char* result;
        size_t unread;  // at most this many bytes the modem sent that the tool never read
    } cases[] = {
        {"Receive, silent after byte 50", silent, &Window::ReceivePCKV1Click, 1,
         "error: Communication Error[1]!!", 0},
        // A wrong first byte ends the exchange: the rest of that acknowledge is never read.
        {"Transmit, wrong acknowledge of frame 5", wrongAck, &Window::TransmitPCKV1Click, 0,
         "error: Communication Error[2]!!", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        this->modem.arm(c.faults);
        const QStringList before = filesIn(traceFolder());
        (w.*c.command)();
        const QStringList after = filesIn(traceFolder());
        ASSERT_EQ(after.size(), before.size() + 1);
        const TraceText t = parseTrace(readFile(traceFolder() + '/' + after.last()));
        EXPECT_EQ(t.tx, concatenated(this->modem.frames()));
        const std::vector<uint8_t> sent = this->modem.sentBytes();
        ASSERT_LE(t.rx.size(), sent.size());
        EXPECT_TRUE(std::equal(t.rx.begin(), t.rx.end(), sent.begin()));
        EXPECT_LE(sent.size() - t.rx.size(), c.unread);
        EXPECT_EQ(t.timeouts, c.timeouts);
        EXPECT_EQ(t.result, c.result);
        EXPECT_EQ(t.badLines, 0);
        EXPECT_EQ(t.events.first().toStdString(), "OPEN " + this->modem.devicePath());
        EXPECT_EQ(t.events.last(), "CLOSE");
    }
}

// A Receive keeps the image the modem holds, a Transmit its read-back; the names tell which.
TYPED_TEST_P(MainWindowTransfer, ReceiveAndTransmitKeepTheirImages) {
    auto& w = *this->window;
    const auto bytes = [](const auto& memory) {
        return QByteArray(reinterpret_cast<const char*>(memory.data()), int(memory.size()));
    };
    const QByteArray held = bytes(this->modem.memory());
    w.ReceivePCKV1Click();
    TypeParam::fillChannel(w, 1);
    w.TransmitPCKV1Click();
    this->expectOneBox(platform::MsgKind::Information, "Data Write OK!!");
    const QStringList files = filesIn(backupFolder());
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    const QString model = w.model().settingsModel;
    const QString stamp = QStringLiteral("_\\d{8}-\\d{6}-\\d{3}_");
    EXPECT_TRUE(QRegularExpression('^' + model + stamp + "read\\.img$").match(files[0]).hasMatch())
        << files[0].toStdString();
    EXPECT_TRUE(
        QRegularExpression('^' + model + stamp + "write-verify\\.img$").match(files[1]).hasMatch())
        << files[1].toStdString();
    EXPECT_EQ(readFile(backupFolder() + '/' + files[0]), held);
    EXPECT_EQ(readFile(backupFolder() + '/' + files[1]), bytes(this->modem.memory()));
    const QStringList traces = filesIn(traceFolder());
    ASSERT_EQ(traces.size(), 2);
    EXPECT_TRUE(traces[0].endsWith("_Receive.txt")) << traces[0].toStdString();
    EXPECT_EQ(parseTrace(readFile(traceFolder() + '/' + traces[1])).result, "ok: Data Write OK!!");
}

// COM > Save Trace... writes the last command's trace where the dialog says; before any
// command it says there is none and writes nothing.
TYPED_TEST_P(MainWindowTransfer, SaveTraceWritesTheLastCommandsTrace) {
    auto& w = *this->window;
    FileDialogScript dialogs;
    dialogs.answers = {QStringLiteral("support"), QStringLiteral("support")};
    // The COM menu's last item, after a separator.
    const QList<QAction*> com = w.template findChild<QMenu*>("Com1")->actions();
    ASSERT_GE(com.size(), 2);
    ASSERT_NE(w.SaveTrace1, nullptr);
    EXPECT_EQ(com.last(), w.SaveTrace1);
    EXPECT_EQ(w.SaveTrace1->text(), "Save &Trace...");
    EXPECT_TRUE(com[com.size() - 2]->isSeparator());
    w.SaveTrace1->trigger();
    this->expectOneBox(platform::MsgKind::Information,
                       "No modem command has run yet: there is no trace to save.");
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_FALSE(QFile::exists("support.txt"));

    typename TypeParam::Faults silent;
    silent.silenceAfterBytes = 0;
    this->modem.arm(silent);
    w.ReceivePCKV1Click();
    this->modem.arm({});
    w.ReceivePCKV1Click();  // the last command
    this->forgetLogAndBoxes();
    w.SaveTrace1->trigger();
    EXPECT_TRUE(this->boxes.boxes.isEmpty()) << this->boxes.texts().join('|').toStdString();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, platform::FileDialogKind::Save);
    const QStringList traces = filesIn(traceFolder());
    ASSERT_EQ(traces.size(), 2);
    EXPECT_EQ(readFile("support.txt"), readFile(traceFolder() + '/' + traces.last()));
    EXPECT_EQ(parseTrace(readFile("support.txt")).result, "ok");
}

REGISTER_TYPED_TEST_SUITE_P(MainWindowTransfer, FailedReceiveKeepsTheWindow, TransmitLinkFaults,
                            ReadBackDifferenceIsDataWriteNg, EveryReplyIsAwaitedAFullSecond,
                            FailedCommandsLeaveTheirTrace, ReceiveAndTransmitKeepTheirImages,
                            SaveTraceWritesTheLastCommandsTrace);

}  // namespace kvtest
