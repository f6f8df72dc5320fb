// The kvprog_b main window offscreen: start-up in both modes, Set with its reference-step
// check and log line, Default, the Port marks, the menus, and the hooks Receive, Transmit
// and the file commands ask of the window.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <cstring>

#include "mainform_b.h"
#include "model_b/main.h"
#include "msgrecorder.h"
#include "platform/localefmt.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"
#include "testdir.h"
#include "ui/channelgrid.h"
#include "ui/resultlog.h"

using kvb::TMainForm;
using kvtest::fillEditPanel;
using kvtest::logLines;
using kvtest::rowTexts;

namespace {

// The hooks the shared window calls, opened up for the tests.
class Window : public TMainForm {
  public:
    using TMainForm::firstSettingError;
    using TMainForm::settingsBlock;
    using TMainForm::showMemory;
    using TMainForm::showOpenedBlock;
    using TMainForm::takeSettingsBlock;
    using TMainForm::writeImage;
};

bool isRed(QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(Qt::red);
}

QList<QWidget*> editFields(const TMainForm& w) {
    return {w.E_RxFrq, w.E_TxFrq, w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR};
}

QStringList portCaptions(const TMainForm& w) {
    return {w.N11->text(), w.N21->text(), w.N31->text(), w.N41->text()};
}

kvb::TChData usedChannel(double rx, double tx, int32_t power, int32_t br, int32_t da, int32_t mbr) {
    kvb::TChData ch = kvb::emptyChannel();
    ch.Used = 1;
    ch.RxFrq = rx;
    ch.TxFrq = tx;
    ch.Power = power;
    ch.BR = br;
    ch.DA = da;
    ch.MBR = mbr;
    ch.RxRef = kvb::FrqToRef(rx);
    ch.TxRef = kvb::FrqToRef(tx);
    return ch;
}

QByteArray int32le(int32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return b;
}

// A file named by raw bytes: the Shift-JIS spelling is no UTF-8.
void touch(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
}

const QByteArray kMarkerUtf8 = QStringLiteral("生産.FMT").toUtf8();
const QByteArray kMarkerShiftJis("\x90\xB6\x8E\x59.FMT");

void saveScreenshot(TMainForm& w, const char* name) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.grab().save(kvtest::artefactPath(QString::fromLatin1(name))));
}

}  // namespace

TEST(MainWindowB, StartupInEachMode) {
    const struct {
        const QByteArray* marker;
        bool production;
        const char* screenshot;
    } cases[] = {{nullptr, false, "kvprog_b_main.png"},
                 {&kMarkerUtf8, true, nullptr},
                 {&kMarkerShiftJis, true, "kvprog_b_main_production.png"}};
    for (const auto& c : cases) {
        if (c.marker) touch(*c.marker);
        Window w;
        SCOPED_TRACE(c.marker ? c.marker->toHex().toStdString() : "no marker");
        const QStringList lines = logLines(w);
        ASSERT_EQ(lines.size(), 6);
        EXPECT_TRUE(lines[0].startsWith("Today:"));
        EXPECT_EQ(lines.mid(1),
                  (QStringList{"***** Initialize Start *****",
                               c.production ? "Mode:Debug" : "Mode:Proper", "Default Set",
                               "PortNo:1", "***** Initialize Finished *****"}));
        EXPECT_EQ(w.Label14->isVisibleTo(&w), c.production);
        EXPECT_EQ(w.Label14->isEnabled(), c.production);
        EXPECT_EQ(w.Factory1->isEnabled(), c.production);
        EXPECT_EQ(w.windowTitle(), "KV93*R - noname.dat");
        EXPECT_EQ(w.E_ChNo->text(), " 1");
        EXPECT_EQ(w.CommX1->PortNo(), 1);
        EXPECT_EQ(portCaptions(w), (QStringList{"[&1]", "&2", "&3", "&4"}));
        if (c.screenshot) saveScreenshot(w, c.screenshot);
        if (c.marker) {
            ASSERT_EQ(::unlink(c.marker->constData()), 0);
        }
    }
}

TEST(MainWindowB, GridControlsAndDefaults) {
    Window w;
    const QHeaderView* columns = w.SG_ChData->horizontalHeader();
    QStringList headings;
    QList<int> widths{w.SG_ChData->verticalHeader()->width()};
    for (int c = 0; c < w.SG_ChData->columnCount(); ++c) {
        headings << w.SG_ChData->horizontalHeaderItem(c)->text();
        widths << columns->sectionSize(c);
    }
    EXPECT_EQ(headings, (QStringList{"RX Frq.", "TX Frq.", "TX Power", "       BR", "D/A", "MBR"}));
    EXPECT_EQ(widths, (QList<int>{40, 60, 60, 50, 66, 32, 35}));
    EXPECT_EQ(w.SG_ChData->verticalHeaderItem(15)->text(), "CH16");

    // The lists' texts are the channel data's; here only which control shows which list.
    EXPECT_EQ(w.RG_Data->itemText(1), "\"L\"  Data  \"H\" Audio");
    EXPECT_EQ(w.RG_Busy->itemText(0), "\"L\"  Busy");
    EXPECT_EQ(w.RG_SB->itemText(2), "1200bps");
    EXPECT_EQ(w.CB_Tot->itemText(11), "1200");
    EXPECT_EQ(w.CB_MBR->itemText(1), "1200");
    const kvb::TSetMode defaults = {0, 1, 0, 0, 0, 0, 0};
    const kvb::TSetMode shown = w.controlSetMode();
    EXPECT_EQ(std::memcmp(&shown, &defaults, sizeof shown), 0);
}

// The label is the one Japanese text of the tool: its font must hold the glyphs.
TEST(MainWindowB, ProductionLabelIsRedJapaneseSerif) {
    Window w;
    EXPECT_EQ(w.Label14->text(), "検査用");
    const QFontInfo info(w.Label14->font());
    EXPECT_EQ(info.pixelSize(), 29);
    EXPECT_TRUE(info.family().contains("Mincho")) << info.family().toStdString();
    const QFontMetrics metrics(w.Label14->font());
    for (QChar c : w.Label14->text()) EXPECT_TRUE(metrics.inFont(c)) << int(c.unicode());
    EXPECT_TRUE(w.Label14->styleSheet().contains("red"));
}

TEST(MainWindowB, SetStoresStepsAndLogsTheirTexts) {
    Window w;
    w.CurrentCh = 3;
    fillEditPanel(w, "223.0125", "230");
    w.B_SetClick();
    // Both step texts are 14 characters: the 25 kHz one ends in two blanks.
    EXPECT_EQ(logLines(w).last(), "Data Set [Ch:3]  RX Ref:12.5KHz  TX Ref:25KHz  ");
    const kvb::TChData& c = w.SetData.Ch[2];
    EXPECT_EQ(c.Used, 1);
    EXPECT_EQ(c.RxFrq, 223.0125);
    EXPECT_EQ(c.TxFrq, 230.0);
    EXPECT_EQ((std::array{c.Power, c.BR, c.RxRef, c.TxRef, c.DA, c.MBR}),
              (std::array{1, 1, 1, 0, 1, 0}));
    EXPECT_EQ(rowTexts(w, 3),
              (QStringList{"223.0125", "230.0000", "MID ", "2400/1200", "ON ", "2400"}));

    w.CurrentCh = 16;
    fillEditPanel(w, "223.005", "234.9875", 2, 0, 0, 1);
    w.B_SetClick();
    EXPECT_EQ(logLines(w).last(), "Data Set [Ch:16]  RX Ref:5KHz     TX Ref:12.5KHz");
    EXPECT_EQ(rowTexts(w, 16),
              (QStringList{"223.0050", "234.9875", "LOW ", "4800", "OFF", "1200"}));
}

TEST(MainWindowB, SetRefusesOutOfRangeOrStepless) {
    const struct {
        bool production;
        const char* rx;
        const char* tx;
        bool rxRed, txRed;
    } cases[] = {
        {false, "223.001", "230", true, false},  // in range, but no step divides it
        {false, "230", "234.0001", false, true}, {false, "236", "230", true, false},
        {true, "236", "230", false, false},      {true, "299.001", "199.975", true, true},
        {true, "299", "200", false, false},      {false, "", "abc", true, true},
    };
    for (const auto& c : cases) {
        if (c.production) touch(kMarkerUtf8);
        Window w;
        SCOPED_TRACE(std::string(c.rx) + " / " + c.tx + (c.production ? " production" : ""));
        const int lines = w.LB_Result->count();
        fillEditPanel(w, c.rx, c.tx);
        w.B_SetClick();
        EXPECT_EQ(isRed(w.E_RxFrq), c.rxRed);
        EXPECT_EQ(isRed(w.E_TxFrq), c.txRed);
        const bool accepted = !c.rxRed && !c.txRed;
        EXPECT_EQ(w.SetData.Ch[0].Used, accepted ? 1 : 0);
        EXPECT_EQ(w.LB_Result->count(), lines + (accepted ? 1 : 0));
        if (c.production) ::unlink(kMarkerUtf8.constData());
    }
}

TEST(MainWindowB, EmptyDropDownTurnsOnlyItselfRed) {
    Window w;
    for (int empty = 0; empty < 4; ++empty) {
        fillEditPanel(w, "223.0125", "230");
        QComboBox* box = qobject_cast<QComboBox*>(editFields(w)[2 + empty]);
        box->setCurrentIndex(-1);
        box->setEditable(true);  // typed text without a chosen item counts as none
        box->setEditText("HIGH");
        const QByteArray before = w.settingsBlock();
        const int lines = w.LB_Result->count();
        w.B_SetClick();
        box->setEditable(false);
        for (QWidget* f : editFields(w)) EXPECT_EQ(isRed(f), f == box) << empty;
        EXPECT_EQ(w.settingsBlock(), before) << empty;
        EXPECT_EQ(w.LB_Result->count(), lines) << empty;
        EXPECT_EQ(w.cellText(1, 1), "") << empty;
    }
}

TEST(MainWindowB, ClearAndDefault) {
    Window w;
    w.CurrentCh = 5;
    fillEditPanel(w, "224", "225");
    w.B_SetClick();
    w.CurrentCh = 6;
    fillEditPanel(w, "226", "227");
    w.B_SetClick();
    w.B_ClearClick();
    EXPECT_EQ(logLines(w).last(), "Data Clear [Ch:6]");
    EXPECT_EQ(w.SetData.Ch[5].Used, 0);
    EXPECT_EQ(w.SetData.Ch[5].RxRef, -1);
    EXPECT_EQ(w.cellText(6, 1), "");
    EXPECT_EQ(w.cellText(5, 1), "224.0000");

    w.RG_Busy->setItemIndex(0);
    w.RG_SP->setItemIndex(2);
    w.CB_Save->setCurrentIndex(4);
    w.E_RxFrq->setText("230");
    w.Default1Click();
    EXPECT_EQ(logLines(w).last(), "Default Set");
    EXPECT_EQ(w.CurrentCh, 1);
    EXPECT_EQ(w.E_RxFrq->text(), "");
    EXPECT_EQ(w.CB_Power->currentIndex(), -1);
    EXPECT_EQ(w.cellText(5, 1), "");
    const kvb::TSetData defaults = kvb::defaultSetData();
    EXPECT_EQ(w.settingsBlock(), QByteArray(reinterpret_cast<const char*>(&defaults), 800));
    EXPECT_EQ(w.RG_Busy->ItemIndex(), 1);
    EXPECT_EQ(w.RG_SP->ItemIndex(), 0);
    EXPECT_EQ(w.CB_Save->currentIndex(), 0);
}

// The stored value becomes the port as it is; an item is marked only for a value it names.
TEST(MainWindowB, PortFileAndPortItems) {
    const struct {
        int32_t stored;
        QStringList captions;
    } cases[] = {{1, {"[&1]", "&2", "&3", "&4"}},
                 {3, {"&1", "&2", "[&3]", "&4"}},
                 {4, {"&1", "&2", "&3", "[&4]"}},
                 {0, {"&1", "&2", "&3", "&4"}},
                 {7, {"&1", "&2", "&3", "&4"}}};
    for (const auto& c : cases) {
        kvtest::writeFile("KV935R.INI", int32le(c.stored));
        Window w;
        EXPECT_EQ(logLines(w).value(4), QString("PortNo:%1").arg(c.stored));
        EXPECT_EQ(w.CommX1->PortNo(), c.stored);
        EXPECT_EQ(portCaptions(w), c.captions) << c.stored;
    }

    Window w;
    w.N21Click();
    EXPECT_EQ(w.CommX1->PortNo(), 2);
    EXPECT_EQ(portCaptions(w), (QStringList{"&1", "[&2]", "&3", "&4"}));
    for (QAction* a : {w.N11, w.N21}) EXPECT_FALSE(a->isChecked());
}

TEST(MainWindowB, MenusAndVersionBox) {
    kvtest::MessageRecorder boxes;
    Window w;
    const auto captions = [&w](const char* menu) {
        QStringList items;
        for (QAction* a : w.findChild<QMenu*>(menu)->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return items;
    };
    EXPECT_EQ(captions("File1"), (QStringList{"&Open", "-", "Save &As", "&Save", "-",
                                              "Printer &Set", "&Print", "-", "&Exit"}));
    EXPECT_EQ(captions("Edit1"), (QStringList{"&Default", "&Factory"}));
    EXPECT_EQ(captions("Com1"), (QStringList{"&Receive (PC <- KV***)", "&Transmit(PC-> KV***)", "-",
                                             "&Port", "-", "Save &Trace..."}));
    QStringList bar;
    for (QAction* a : w.menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&COM", "&Version"}));

    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("2.4.0.2");
    w.Version1Click();
    QCoreApplication::setApplicationVersion(before);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Plain);
    EXPECT_EQ(boxes.boxes[0].text, "KV938R/935R/931R PC Programming  \r\r Version : 2.4.0.2");
}

TEST(MainWindowB, DecimalCommaBothWays) {
    platform::setDecimalSeparatorForTesting(QChar(','));
    {
        Window w;
        fillEditPanel(w, "223,0125", " 230,5 ");
        w.B_SetClick();
        EXPECT_EQ(w.SetData.Ch[0].RxFrq, 223.0125);
        EXPECT_EQ(w.SetData.Ch[0].TxRef, 0);
        EXPECT_EQ(w.cellText(1, 2), "230,5000");
        w.E_RxFrq->clear();
        w.SG_ChDataClick();
        EXPECT_EQ(w.E_RxFrq->text(), "223,0125");
    }
    platform::setDecimalSeparatorForTesting(QChar());
}

// What Receive shows of a memory: " ON", the set-mode rule for values beyond the items, and
// channel 1 in the edit panel.
TEST(MainWindowB, MemoryIntoTheWindow) {
    Window w;
    w.CurrentCh = 9;
    kvb::TSetData table = kvb::defaultSetData();
    table.Ch[0] = usedChannel(223.0125, 230.0, 2, 1, 1, 1);
    kvb::MemoryImage image = kvb::encodeImage(table, {1, 0, 1, 0, 0, 12, 8}, QDate(2024, 3, 5));
    image[kvb::mem::kSetMode] |= 0xF0;  // SB and SP 11: beyond both lists
    image[kvb::mem::flags(4)] = 0x80;   // used, zero codes
    w.showMemory(image);

    EXPECT_EQ(rowTexts(w, 1),
              (QStringList{"223.0125", "230.0000", "LOW ", "2400/1200", " ON", "1200"}));
    EXPECT_EQ(rowTexts(w, 5), (QStringList{"-45.1000", "0.0000", "HIGH", "4800", "OFF", "2400"}));
    EXPECT_EQ(rowTexts(w, 2), (QStringList{"", "", "", "", "", ""}));
    EXPECT_EQ((std::array{w.RG_Data->ItemIndex(), w.RG_Busy->ItemIndex(), w.RG_FSQC->ItemIndex(),
                          w.RG_SB->ItemIndex(), w.RG_SP->ItemIndex(), w.CB_Tot->currentIndex(),
                          w.CB_Save->currentIndex()}),
              (std::array{1, 0, 1, 2, 2, -1, 8}));
    EXPECT_EQ(w.CurrentCh, 1);
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.E_RxFrq->text(), "223.0125");
    EXPECT_EQ(w.CB_Power->currentText(), "LOW");
    EXPECT_EQ(w.firstSettingError(), "Setting Error!! [Time Out Timer]");
}

// The checks before a write in their order; the marker file is looked for anew each time.
TEST(MainWindowB, SettingErrorsInOrder) {
    Window w;
    EXPECT_EQ(w.firstSettingError(), "Setting Error!! [Frq. Data]");
    touch(kMarkerShiftJis);
    EXPECT_EQ(w.firstSettingError(), "") << "production mode writes an empty table";
    ::unlink(kMarkerShiftJis.constData());

    fillEditPanel(w, "223.0125", "230");
    w.B_SetClick();
    EXPECT_EQ(w.firstSettingError(), "");
    const struct {
        QWidget* control;
        const char* text;
    } unset[] = {{w.RG_Data, "[Data/Audio Signal]"},
                 {w.RG_Busy, "[Busy Signal]"},
                 {w.RG_FSQC, "[FSQC]"},
                 {w.RG_SB, "[SB]"},
                 {w.RG_SP, "[SP]"},
                 {w.CB_Tot, "[Time Out Timer]"},
                 {w.CB_Save, "[Save Time]"}};
    // Unset from the last to the first: each time the newly unset one is reported.
    for (int i = 6; i >= 0; --i) {
        if (auto* rg = qobject_cast<platform::TRadioGroup*>(unset[i].control))
            rg->setItemIndex(-1);
        else
            qobject_cast<QComboBox*>(unset[i].control)->setCurrentIndex(-1);
        EXPECT_EQ(w.firstSettingError(), QString("Setting Error!! ") + unset[i].text);
    }
}

TEST(MainWindowB, WriteImageStampsTheDayAndDerivesSteps) {
    Window w;
    w.Today = [] { return QDate(2024, 3, 5); };
    fillEditPanel(w, "223.0125", "230");
    w.B_SetClick();
    w.SetData.Ch[0].RxRef = 0;  // as a file may bring it: 25 kHz would code 223.0 MHz
    w.RG_SB->setItemIndex(2);
    const kvb::MemoryImage image = w.writeImage();
    EXPECT_EQ((std::array{image[0], image[1], image[2]}), (std::array<uint8_t, 3>{1, 0x4F, 0x12}));
    EXPECT_EQ(image[kvb::mem::kSetMode], 0x22);
    EXPECT_EQ((std::array{image[251], image[252], image[253]}),
              (std::array<uint8_t, 3>{0x24, 0x03, 0x05}));
}

// What Open shows of a block: its own texts, and the set-mode values handed to the
// controls as they are.
TEST(MainWindowB, OpenedBlockIntoTheWindow) {
    Window w;
    kvb::TSetData block = kvb::defaultSetData();
    block.Ch[1] = usedChannel(223.0125, 0.0, 1, 0, 1, -1);
    block.Mode = {1, 0, 1, 5, -3, 11, 9};
    block.Reserved[2] = 0x5A;
    const QByteArray bytes(reinterpret_cast<const char*>(&block), sizeof block);
    w.takeSettingsBlock(bytes);
    w.showOpenedBlock();
    EXPECT_EQ(rowTexts(w, 2), (QStringList{"223.0125", "", "MID ", "4800", "ON", ""}));
    EXPECT_EQ((std::array{w.RG_SB->ItemIndex(), w.RG_SP->ItemIndex(), w.CB_Tot->currentIndex(),
                          w.CB_Save->currentIndex()}),
              (std::array{2, -1, 11, -1}));
    EXPECT_EQ(w.settingsBlock(), bytes) << "Reserved and the steps stay as the file held them";
}
