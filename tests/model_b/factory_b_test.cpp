// kvprog_b's factory window against the emulated KV93x: the controls, READ, WRITE with its
// read-back, the erase from both buttons, the failure boxes, and Edit > Factory.
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <numeric>

#include "model_b/main.h"
#include "model_b/sub1.h"
#include "modemport.h"
#include "sim/kv93x.h"
#include "testdir.h"
#include "tracetext.h"

namespace kvtest {
namespace {

using kvb::TForm1;
using kvsim::Kv93x;
using Memory = Kv93x::Memory;

constexpr int kCalibrationStart = 224;
const std::string kReadCalibration = "0E 02 70 00 AB 78 00 BA 00 00 00 FF FF FF 5A";
const std::string kReadAll = "0E 02 00 00 AB 7F 00 BA 00 00 00 FF FF FF F1";

// TX power and TCXO trims, six unshown bytes unlike their FF on a write, VCO R and VCO T.
constexpr std::array<uint8_t, 18> kCalibration{0x05, 0xA0, 0x48, 0xB7, 0x30, 0xC0,
                                               0x62, 0x9D, 0x81, 0x82, 0x83, 0x84,
                                               0x85, 0x86, 0x01, 0x2C, 0x01, 0xF4};
const QStringList kCalibrationTexts{"05", "A0", "48", "B7", "30", "C0", "62", "9D", "012C", "01F4"};
const QStringList kInitialTexts{"00", "00", "00", "00", "00", "00", "00", "00", "0000", "0000"};

Memory memoryWith(const std::array<uint8_t, 18>& calibration) {
    Memory m = Kv93x::demoMemory();
    std::copy(calibration.begin(), calibration.end(), m.begin() + kCalibrationStart);
    return m;
}

// Write Word as it goes over the line, built here from the frame layout.
std::string writeFrame(int word, uint8_t first, uint8_t second) {
    std::array<uint8_t, 15> f{0x0E,   0x01, static_cast<uint8_t>(word),
                              0x00,   0xAB, 0x00,
                              0x00,   0xBA, first,
                              second, 0x00, 0xFF,
                              0xFF,   0xFF, 0x00};
    f[14] = static_cast<uint8_t>(std::accumulate(f.begin(), f.end() - 1, 0));
    return frameText(f);
}

class FactoryB : public ModemPortTest<Kv93x> {
  protected:
    void SetUp() override {
        setMemory(memoryWith(kCalibration));
        form = std::make_unique<TForm1>(nullptr, &comm);
        form->show();
    }
    void TearDown() override {
        form.reset();
        ModemPortTest::TearDown();
    }

    QStringList editTexts() const {
        QStringList out;
        for (int i = 1; i <= 10; ++i)
            out << form->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(i))->text();
        return out;
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(FactoryB, ControlsCarryTheirNamesAndInitialTexts) {
    EXPECT_EQ(form->windowTitle(), "FACTORY");
    EXPECT_EQ(form->size(), QSize(423, 281));
    EXPECT_EQ(QFontInfo(form->font()).family(), "IPAPGothic");
    EXPECT_EQ(form->font().pixelSize(), 12);

    const std::pair<const char*, const char*> buttons[] = {{"Button1", "ALL F CLR"},
                                                           {"Button2", "READ"},
                                                           {"Button3", "WRITE"},
                                                           {"Button4", "End"},
                                                           {"Button5", "EEPROM INIT"}};
    for (const auto& [name, text] : buttons) {
        const auto* b = form->findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), text) << name;
    }
    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "H->MID"}, {"Label2", "MID->H"}, {"Label3", "MID->L"},    {"Label4", "L->MID"},
        {"Label5", "H->L"},   {"Label6", "L->H"},   {"Label7", "L->VL"},     {"Label8", "VL->L"},
        {"Label9", "VCO R"},  {"Label10", "VCO T"}, {"Label11", "TX POWER"}, {"Label12", "TCXO"}};
    for (const auto& [name, text] : labels) {
        const auto* l = form->findChild<QLabel*>(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_EQ(l->text(), text) << name;
        // Labels 1..10 name their box, for the keyboard and for screen readers.
        const int n = QString::fromLatin1(name).mid(5).toInt();
        if (n <= 10) {
            EXPECT_EQ(l->buddy()->objectName(), QStringLiteral("Edit%1").arg(n));
        }
    }
    EXPECT_EQ(editTexts(), kInitialTexts);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(form->grab().save(artefactPath("factory_b.png")));
}

TEST_F(FactoryB, ReadShowsTheValuesAndWriteSendsThemBack) {
    click(form->Button2);
    EXPECT_EQ(frames(), std::vector<std::string>{kReadCalibration});
    EXPECT_EQ(editTexts(), kCalibrationTexts);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:A/D Data Read OK!!"});
    EXPECT_TRUE(form->grab().save(artefactPath("factory_b_read.png")));

    onModem([](Kv93x& m) { m.clearLog(); });
    messages.boxes.clear();
    click(form->Button3);
    std::array<uint8_t, 18> written = kCalibration;
    std::fill(written.begin() + 8, written.begin() + 14, 0xFF);
    std::vector<std::string> expected;
    for (int w = 112; w <= 120; ++w)
        expected.push_back(writeFrame(w, written[2 * (w - 112)], written[2 * (w - 112) + 1]));
    expected.push_back(kReadCalibration);
    EXPECT_EQ(writeFrame(0, 0xFF, 0xFF), "0E 01 00 00 AB 00 00 BA FF FF 00 FF FF FF 6F");
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(memory(), memoryWith(written));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:A/D Data Write OK!!"});
}

TEST_F(FactoryB, WriteTakesOnlyAHexNumberThatFitsItsBox) {
    const struct {
        QLineEdit* edit;
        const char* text;
        int byte;  // -1: refused before anything is sent
        uint8_t value;
    } cases[] = {
        // Cut to fit, these two would verify as written.
        {form->Edit1, "1FF", -1, 0},
        {form->Edit9, "12345", -1, 0},
        {form->Edit3, "", -1, 0},
        {form->Edit3, "0x10", -1, 0},
        {form->Edit1, "000000FF", 0, 0xFF},
        {form->Edit9, "0000a1b2", 14, 0xA1},
        {form->Edit9, "0000a1b2", 15, 0xB2},
        {form->Edit10, "FFFF", 17, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit->objectName().toStdString() + " = '" + c.text + "'");
        setMemory(memoryWith(kCalibration));
        messages.boxes.clear();
        c.edit->setText(QString::fromLatin1(c.text));
        click(form->Button3);
        if (c.byte < 0) {
            EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Input Data Error!!"});
            EXPECT_TRUE(frames().empty());
        } else {
            EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:A/D Data Write OK!!"});
            EXPECT_EQ(frames().size(), 10u);
            EXPECT_EQ(memory()[kCalibrationStart + c.byte], c.value);
        }
        c.edit->setText(kInitialTexts[c.edit->objectName().mid(4).toInt() - 1]);
    }
}

TEST_F(FactoryB, BothEraseButtonsAskThenEraseTheWholeMemory) {
    for (QPushButton* button : {form->Button1, form->Button5}) {
        SCOPED_TRACE(button->text().toStdString());
        setMemory(Kv93x::demoMemory());
        messages.boxes.clear();
        messages.answers.push_back(platform::MsgResult::Cancel);
        click(button);
        ASSERT_EQ(messages.boxes.size(), 1);
        EXPECT_EQ(messages.boxes[0].kind, platform::MsgKind::Plain);
        EXPECT_EQ(messages.boxes[0].text, "EEPROM INIT ?");
        EXPECT_EQ(messages.boxes[0].caption, "FACTORY");
        EXPECT_EQ(messages.boxes[0].buttons, platform::MsgButtons::OkCancel);
        EXPECT_TRUE(frames().empty());

        click(button);
        const std::vector<std::string> sent = frames();
        ASSERT_EQ(sent.size(), 129u);
        for (int w = 0; w < 128; ++w)
            EXPECT_EQ(sent[static_cast<size_t>(w)], writeFrame(w, 0xFF, 0xFF));
        EXPECT_EQ(sent.back(), kReadAll);
        EXPECT_EQ(memory(), Kv93x::erasedMemory());
        EXPECT_EQ(boxTexts(),
                  (std::vector<std::string>{"plain:EEPROM INIT ?", "plain:EEPROM INIT ?",
                                            "info:EEPROM INIT OK!!"}));
    }  // Each erase keeps the memory it read back.
    const QStringList images = kvtest::filesIn(kvtest::backupFolder());
    ASSERT_EQ(images.size(), 2);
    for (const QString& image : images) {
        EXPECT_TRUE(image.startsWith("KV93x_") && image.endsWith("_erase-verify.img"))
            << image.toStdString();
        EXPECT_EQ(kvtest::readFile(kvtest::backupFolder() + '/' + image),
                  QByteArray(256, char(0xFF)));
    }
}

TEST_F(FactoryB, FailuresShowTheirBoxAndLeaveTheBoxesAlone) {
    const struct {
        const char* what;
        QPushButton* button;
        Kv93x::Faults faults;
        std::vector<std::string> boxes;
        size_t framesSent;
    } cases[] = {
        {"erase, a byte stays",
         form->Button5,
         {.stuckAddress = 0x42, .stuckValue = 0x00},
         {"plain:EEPROM INIT ?", "error:EEPROM INIT NG!!"},
         129},
        {"write, VCO T not kept",
         form->Button3,
         {.ignoredWriteWord = 120},
         {"error:A/D Data Clear NG!!"},
         10},
        {"read, no reply",
         form->Button2,
         {.silenceAfterBytes = 0},
         {"error:Communication Error[1]!!"},
         1},
        {"read, refused",
         form->Button2,
         {.wrongAckPosition = 1, .wrongAckValue = 0x15},
         {"error:Communication Error[2]!!"},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setMemory(memoryWith(kCalibration));
        setFaults(c.faults);
        messages.boxes.clear();
        click(c.button);
        EXPECT_EQ(boxTexts(), c.boxes);
        EXPECT_EQ(frames().size(), c.framesSent);
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(editTexts(), kInitialTexts);
    }
}

// Edit > Factory in production mode: a new modal window each time, on the main window's port.
TEST(FactoryBFromMainWindow, OpensANewModalWindowOnCommX1) {
    writeFile(QStringLiteral("生産.FMT"), {});
    EmulatedModem<Kv93x> modem(1, memoryWith(kCalibration));
    MessageRecorder messages;
    kvb::TMainForm w;
    QStringList seen;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &w, [&] {
            auto* form = qobject_cast<TForm1*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr) << "no modal factory window";
            EXPECT_EQ(form->parentWidget(), &w);
            seen << form->Edit1->text();
            click(form->Button2);
            seen << form->Edit1->text();
            click(form->Button4);
        });
        w.Factory1Click();
    }
    EXPECT_EQ(seen, (QStringList{"00", "05", "00", "05"}));
    EXPECT_EQ(modem.frameTexts(), (std::vector<std::string>{kReadCalibration, kReadCalibration}));
    EXPECT_EQ(boxTexts(messages),
              (std::vector<std::string>{"info:A/D Data Read OK!!", "info:A/D Data Read OK!!"}));
    EXPECT_FALSE(w.CommX1->IsOpen());
}

}  // namespace
}  // namespace kvtest
