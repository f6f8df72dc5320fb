// The factory window against the emulated KV417R: calibration READ and WRITE, the single
// commands, EEPROM INIT, Factory.INI presets, and the failure paths.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "core/tracestore.h"
#include "model_a/sub1.h"
#include "modemfixture.h"
#include "testdir.h"
#include "tracetext.h"

namespace kvtest {
namespace {

using kva::TSubForm1;
using kvsim::Kv417r;
using Memory = Kv417r::Memory;

constexpr int kBlockStart = 0xE0;
const QColor kAqua(0, 255, 255);

// Every byte different, so a box that shows the wrong bytes cannot pass. Bytes 10, 11 and
// 29 have no box.
constexpr std::array<uint8_t, 30> kBlock{
    0xC1, 0x2A, 0xC4, 0x20, 0xC8, 0x30, 0xCC, 0x40, 0xD0, 0x5B, 0x5A, 0xA5, 0x01, 0x23, 0x45,
    0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x9F, 0x3C};

Memory memoryWithBlock(const std::array<uint8_t, 30>& block) {
    Memory m = Kv417r::erasedMemory();
    std::copy(block.begin(), block.end(), m.begin() + kBlockStart);
    return m;
}

std::string wordFrame(uint8_t command, int word, uint8_t hi, uint8_t lo) {
    const int sum = command + word + hi + lo;
    char s[32];
    std::snprintf(s, sizeof s, "CC %02X %02X %02X %02X 00 %02X %02X", command, word, hi, lo,
                  sum >> 8, sum & 0xFF);
    return s;
}

class FactoryWindow : public ModemWindowTest {
  protected:
    void SetUp() override {
        ModemWindowTest::SetUp();
        form = std::make_unique<TSubForm1>(nullptr, &comm);
        form->show();
        windowColour = QApplication::palette(form->Edit18).color(QPalette::Base);
    }
    void TearDown() override {
        form.reset();
        ModemWindowTest::TearDown();
    }

    // Boxes in the order of the calibration table (TX power, shift, SQL).
    std::vector<QString> boxTextsOfForm() const {
        std::vector<QString> out;
        for (QLineEdit* e :
             {form->Edit1, form->Edit2, form->Edit3, form->Edit4, form->Edit5, form->Edit13,
              form->Edit14, form->Edit15, form->Edit16, form->Edit6, form->Edit7, form->Edit8,
              form->Edit9, form->Edit10, form->Edit11, form->Edit12, form->Edit19, form->Edit20})
            out.push_back(e->text());
        return out;
    }
    void expectStatus(const QString& text, const QColor& colour) {
        EXPECT_EQ(form->Edit18->text(), text);
        EXPECT_EQ(form->Edit18->palette().color(QPalette::Base), colour);
    }

    std::unique_ptr<TSubForm1> form;
    QColor windowColour;
};

const std::vector<QString> kDefaultTexts{"C000", "C000", "C000", "C000", "C000", "0000",
                                         "0000", "0000", "0000", "00",   "00",   "00",
                                         "00",   "00",   "00",   "00",   "00",   "00"};
const std::vector<QString> kBlockTexts{"C12A", "C420", "C830", "CC40", "D05B", "0123",
                                       "4567", "89AB", "CDEF", "11",   "22",   "33",
                                       "44",   "55",   "66",   "77",   "88",   "9F"};

TEST_F(FactoryWindow, OpensWithDefaultsWithoutFactoryIni) {
    EXPECT_EQ(form->windowTitle(), "FACTORY");
    EXPECT_EQ(form->size(), QSize(440, 440));
    EXPECT_EQ(boxTextsOfForm(), kDefaultTexts);
    EXPECT_EQ(form->Edit17->text(), "C000");
    EXPECT_EQ(form->CB_TXP->currentText(), "L3");
    EXPECT_EQ(form->CB_SQL->currentText(), "L2");
    EXPECT_EQ(form->CB_TXP->count(), 5);
    EXPECT_EQ(form->CB_SQL->count(), 9);
    EXPECT_NE(windowColour, kAqua);
    expectStatus("Ready", windowColour);
    EXPECT_EQ(form->Edit18->focusPolicy(), Qt::NoFocus);
    for (int i = 0; i < 9; ++i) {
        auto* b = form->findChild<QPushButton*>(QStringLiteral("Button%1").arg(10 + i));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QStringLiteral("CH%1").arg(i + 1));
    }
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(form->grab().save(artefactPath("factory.png")));
}

TEST_F(FactoryWindow, FactoryIniPresetsTheBoxes) {
    QByteArray bytes(reinterpret_cast<const char*>(kBlock.data()), 30);
    bytes[20] = 0x05;
    bytes.append(QByteArray(10, '\x77'));  // beyond the 30th byte: ignored
    writeFile("Factory.INI", bytes);
    std::vector<QString> expected = kBlockTexts;
    expected[9] = "05";
    form.reset(new TSubForm1(nullptr, &comm));
    EXPECT_EQ(boxTextsOfForm(), expected);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(FactoryWindow, ShortFactoryIniReportsAndKeepsDefaults) {
    writeFile("Factory.INI", QByteArray(reinterpret_cast<const char*>(kBlock.data()), 29));
    form.reset(new TSubForm1(nullptr, &comm));
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_TRUE(messages.boxes[0].text.contains("Read beyond end of file"))
        << messages.boxes[0].text.toStdString();
    EXPECT_EQ(boxTextsOfForm(), kDefaultTexts);
    EXPECT_EQ(form->CB_TXP->currentText(), "L3");
    EXPECT_EQ(form->Edit18->text(), "Ready");
}

TEST_F(FactoryWindow, ReadShowsTheCalibrationBlock) {
    setMemory(memoryWithBlock(kBlock));
    click(form->Button2);

    std::vector<std::string> expected;
    for (int w = 0x70; w <= 0x7E; ++w) expected.push_back(wordFrame(0x03, w, 0, 0));
    EXPECT_EQ(expected.front(), "CC 03 70 00 00 00 00 73");
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(boxTextsOfForm(), kBlockTexts);
    expectStatus("Read OK", kAqua);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(form->grab().save(artefactPath("factory_read.png")));
}

TEST_F(FactoryWindow, WriteAfterReadWritesBackWhatWasRead) {
    setMemory(memoryWithBlock(kBlock));
    click(form->Button2);
    onModem([](Kv417r& m) { m.clearLog(); });
    click(form->Button3);

    // The hidden bytes go out as FF FF (word 0x75) and 00 (low byte of word 0x7E).
    std::array<uint8_t, 30> written = kBlock;
    written[10] = 0xFF;
    written[11] = 0xFF;
    written[29] = 0x00;
    std::vector<std::string> expected;
    for (int k = 0; k < 15; ++k)
        expected.push_back(wordFrame(0x01, 0x70 + k, written[2 * k], written[2 * k + 1]));
    for (int k = 0; k < 15; ++k) expected.push_back(wordFrame(0x03, 0x70 + k, 0, 0));
    EXPECT_EQ(expected[0], "CC 01 70 C1 2A 00 01 5C");
    EXPECT_EQ(expected[5], "CC 01 75 FF FF 00 02 74");
    EXPECT_EQ(expected[14], "CC 01 7E 9F 00 00 01 1E");
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(memory(), memoryWithBlock(written));
    expectStatus("Write OK", kAqua);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:POWER OFF -> ON!!"});
}

TEST_F(FactoryWindow, WriteTakesAnyHexThatFitsItsBox) {
    form->Edit2->setText("c0a0");      // lower case
    form->Edit6->setText("000000FF");  // leading zeros do not count
    form->Edit13->setText("000000001");
    click(form->Button3);
    ASSERT_EQ(boxTexts(), std::vector<std::string>{"info:POWER OFF -> ON!!"});
    const Memory m = memory();
    EXPECT_EQ(m[kBlockStart + 2], 0xC0);
    EXPECT_EQ(m[kBlockStart + 3], 0xA0);
    EXPECT_EQ(m[kBlockStart + 12], 0x00);
    EXPECT_EQ(m[kBlockStart + 13], 0x01);
    EXPECT_EQ(m[kBlockStart + 20], 0xFF);

    click(form->Button2);
    EXPECT_EQ(form->Edit2->text(), "C0A0");
    EXPECT_EQ(form->Edit6->text(), "FF");
    EXPECT_EQ(form->Edit13->text(), "0001");
}

TEST_F(FactoryWindow, WriteRefusesInvalidHexBeforeOpeningThePort) {
    const std::vector<std::pair<QLineEdit*, QString>> cases{
        {form->Edit1, ""},
        {form->Edit3, " C000"},
        {form->Edit13, "0x10"},
        {form->Edit20, "C00G"},
        {form->Edit16, "C000 "},
        {form->Edit6, "-1"},
        {form->Edit5, "+C000"},
        {form->Edit19, "123456789"},
        {form->Edit10, "１２"},
        // Too wide for the box: cut to fit, it would verify as written.
        {form->Edit6, "1FF"},
        {form->Edit1, "12345"},
    };
    for (const auto& [edit, text] : cases) {
        SCOPED_TRACE(edit->objectName().toStdString() + " = '" + text.toStdString() + "'");
        messages.boxes.clear();
        const QString before = edit->text();
        edit->setText(text);
        click(form->Button3);
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Input Data Error!!"});
        EXPECT_TRUE(frames().empty());
        expectStatus("Ready", windowColour);
        edit->setText(before);
    }
}

TEST_F(FactoryWindow, ReadBackDifferenceInAHiddenByteIsWriteNg) {
    // 10 and 11 are written as FF, 29 as 00: a stuck byte makes each of them differ.
    for (const auto& [offset, stuck] : {std::pair{10, 0x00}, {11, 0x00}, {29, 0xFF}}) {
        SCOPED_TRACE("byte " + std::to_string(offset));
        setMemory(memoryWithBlock(kBlock));
        kvsim::Kv417rFaults f;
        f.stuckAddress = kBlockStart + offset;
        f.stuckValue = static_cast<uint8_t>(stuck);
        setFaults(f);
        messages.boxes.clear();
        click(form->Button3);
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Data Write NG!!"});
        EXPECT_EQ(frames().size(), 30u);
        expectStatus("Write Start", windowColour);
    }
}

TEST_F(FactoryWindow, TxPowSetChecksTheRangeAndStepsTheLevel) {
    for (const QString text : {"BFFF", "10000", "", "C000 ", "FFFFFFFF"}) {
        SCOPED_TRACE(text.toStdString());
        messages.boxes.clear();
        form->Edit17->setText(text);
        click(form->Button6);
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Input Data Error!!"});
        EXPECT_EQ(form->CB_TXP->currentText(), "L3");
    }
    EXPECT_TRUE(frames().empty());
    expectStatus("Ready", windowColour);
    messages.boxes.clear();

    form->Edit17->setText("C000");
    click(form->Button6);
    EXPECT_EQ(form->CB_TXP->currentText(), "L4");
    expectStatus("OK", kAqua);

    form->CB_TXP->setCurrentIndex(4);
    form->Edit17->setText("ffff");
    click(form->Button6);
    EXPECT_EQ(form->CB_TXP->currentText(), "L1");
    EXPECT_EQ(frames(),
              (std::vector<std::string>{"CC 08 C0 00 03 00 00 CB", "CC 08 FF FF 05 00 02 0B"}));
    EXPECT_TRUE(messages.boxes.empty());

    typeInto(form->CB_TXP, "L6");
    click(form->Button6);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Select TX POWER!!"});
    EXPECT_EQ(frames().size(), 2u);
}

TEST_F(FactoryWindow, SqlSetStepsTheLevel) {
    form->CB_SQL->setCurrentIndex(3);
    click(form->Button7);
    EXPECT_EQ(form->CB_SQL->currentText(), "L5");
    expectStatus("OK", kAqua);
    form->CB_SQL->setCurrentIndex(8);
    click(form->Button7);
    EXPECT_EQ(form->CB_SQL->currentText(), "L1");
    EXPECT_EQ(frames(),
              (std::vector<std::string>{"CC 06 04 00 00 00 00 0A", "CC 06 09 00 00 00 00 0F"}));
    EXPECT_TRUE(messages.boxes.empty());

    typeInto(form->CB_SQL, "L10");
    click(form->Button7);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Select SQL!!"});
    EXPECT_EQ(frames().size(), 2u);
}

TEST_F(FactoryWindow, ChannelButtonsSendSetChannel) {
    click(form->channelButtons[0]);  // "L2" selected at start
    expectStatus("CH1 OK", kAqua);
    typeInto(form->CB_SQL, "none");
    click(form->channelButtons[4]);
    expectStatus("CH5 OK", kAqua);
    form->CB_SQL->setCurrentIndex(8);
    click(form->channelButtons[8]);
    expectStatus("CH9 OK", kAqua);
    EXPECT_EQ(frames(),
              (std::vector<std::string>{"CC 07 00 02 00 00 00 09", "CC 07 04 00 00 00 00 0B",
                                        "CC 07 08 09 00 00 00 18"}));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(FactoryWindow, EepromInitCancelledSendsNothing) {
    messages.answers.push_back(platform::MsgResult::Cancel);
    click(form->Button5);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].kind, platform::MsgKind::Plain);
    EXPECT_EQ(messages.boxes[0].text, "EEPROM INIT ?");
    EXPECT_EQ(messages.boxes[0].caption, "FACTORY");
    EXPECT_EQ(messages.boxes[0].buttons, platform::MsgButtons::OkCancel);
    EXPECT_TRUE(frames().empty());
    expectStatus("Ready", windowColour);
}

TEST_F(FactoryWindow, EepromInitErasesAndVerifies) {
    click(form->Button5);
    const std::vector<std::string> sent = frames();
    ASSERT_EQ(sent.size(), 256u);
    for (int w = 0; w < 128; ++w) {
        EXPECT_EQ(sent[static_cast<size_t>(w)], wordFrame(0x01, w, 0xFF, 0xFF));
        EXPECT_EQ(sent[static_cast<size_t>(128 + w)], wordFrame(0x03, w, 0, 0));
    }
    EXPECT_EQ(memory(), Kv417r::erasedMemory());
    expectStatus("INIT OK", kAqua);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"plain:EEPROM INIT ?", "info:EEPROM INIT OK!!"}));
}

// The factory window's commands are traced where the main window keeps its traces, and
// EEPROM INIT keeps the memory it read back.
TEST_F(FactoryWindow, WriteLeavesItsTraceAndEepromInitItsImage) {
    const kvcore::TraceStore store(&comm, "kvprog_a");
    kvsim::Kv417rFaults f;
    f.silenceAfterBytes = 3 * 4 + 1;  // inside the fifth acknowledge
    modem.arm(f);
    click(form->Button3);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Communication Error[1]!!"});
    QStringList traces = filesIn(traceFolder());
    ASSERT_EQ(traces.size(), 1);
    EXPECT_TRUE(traces[0].startsWith("kvprog_a_") && traces[0].endsWith("_WRITE.txt"))
        << traces[0].toStdString();
    const TraceText t = parseTrace(readFile(traceFolder() + '/' + traces[0]));
    EXPECT_EQ(t.tx, concatenated(modem.frames()));
    EXPECT_EQ(t.rx, modem.sentBytes());
    EXPECT_EQ(t.timeouts, 1);
    EXPECT_EQ(t.result, "error: Communication Error[1]!!");

    modem.arm({});
    click(form->Button5);
    const QStringList images = filesIn(backupFolder());
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(images[0].startsWith("KV417R_") && images[0].endsWith("_erase-verify.img"))
        << images[0].toStdString();
    EXPECT_EQ(readFile(backupFolder() + '/' + images[0]), QByteArray(256, char(0xFF)));
    traces = filesIn(traceFolder());
    ASSERT_EQ(traces.size(), 2);
    EXPECT_EQ(parseTrace(readFile(traceFolder() + '/' + traces[1])).result, "ok: EEPROM INIT OK!!");
}

TEST_F(FactoryWindow, EepromInitWithAStuckByteIsNg) {
    kvsim::Kv417rFaults f;
    f.stuckAddress = 0x42;
    f.stuckValue = 0x00;
    setFaults(f);
    click(form->Button5);
    EXPECT_EQ(frames().size(), 256u);
    expectStatus("INIT Start", windowColour);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"plain:EEPROM INIT ?", "error:EEPROM INIT NG!!"}));
}

TEST_F(FactoryWindow, SilentModemEndsReadWithError1) {
    kvsim::Kv417rFaults f;
    f.silenceAfterBytes = 0;
    setFaults(f);
    click(form->Button2);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Communication Error[1]!!"});
    EXPECT_EQ(frames().size(), 1u);
    EXPECT_EQ(boxTextsOfForm(), kDefaultTexts);
    expectStatus("Read Start", windowColour);
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(FactoryWindow, WrongAcknowledgeStopsWriteAtThatFrame) {
    kvsim::Kv417rFaults f;
    f.wrongAckPosition = 2;
    f.wrongAckValue = 0x15;
    f.wrongAckOnFrame = 3;
    setFaults(f);
    click(form->Button3);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Communication Error[2]!!"});
    EXPECT_EQ(frames().size(), 3u);
    expectStatus("Write Start", windowColour);
}

TEST_F(FactoryWindow, PortThatCannotOpenLeavesStatusAlone) {
    qputenv("KVPROG_COM3", "/nonexistent/kv-port");
    click(form->channelButtons[0]);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_FALSE(messages.boxes[0].text.isEmpty());
    expectStatus("Ready", windowColour);
    EXPECT_TRUE(frames().empty());
}

TEST_F(FactoryWindow, EndDuringReadClosesOnlyAfterTheReadAndRefusesASecondOne) {
    setMemory(memoryWithBlock(kBlock));
    kvsim::Kv417rFaults f;
    f.replyDelayMs = 20;  // keeps the read going while the timer fires
    setFaults(f);
    bool fired = false;
    bool visibleAfterEnd = false;
    QTimer::singleShot(100, form.get(), [&] {
        fired = true;
        click(form->Button2);  // a second READ while the first runs
        click(form->Button4);
        visibleAfterEnd = form->isVisible();
    });
    click(form->Button2);
    ASSERT_TRUE(fired) << "the read ended before the timer";
    EXPECT_TRUE(visibleAfterEnd);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(boxTextsOfForm(), kBlockTexts);
    expectStatus("Read OK", kAqua);
    EXPECT_EQ(frames().size(), 15u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:A port has already been opened."});
}

}  // namespace
}  // namespace kvtest
