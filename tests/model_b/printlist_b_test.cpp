// kvprog_b's "Setting Data List": the page on the recording canvas (its title, seven columns
// and colon-padded set-mode lines, values in the model-B item orders), and File > Print into
// a real PDF. The shared page and the Print course are kvprog_a's tests'.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "logtext.h"
#include "model_b/main.h"
#include "model_b/printlist.h"
#include "msgrecorder.h"
#include "pdfcheck.h"
#include "platform/canvas.h"
#include "platform/radiogroup.h"
#include "recordedpage.h"
#include "testdir.h"
#include "ui/channelgrid.h"
#include "ui/resultlog.h"

using kvtest::pageRow;
using kvtest::RecordedPage;
using platform::TRecordingCanvas;

namespace {

RecordedPage print(const kvb::TSetData& data, const QString& fileName = "noname.dat") {
    TRecordingCanvas canvas;
    kvb::printSettingList(canvas, data, fileName, QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7)));
    EXPECT_EQ(canvas.documentsEnded, 1);
    return kvtest::recordedPage(canvas);
}

// Each label holds its colon: the text, then `blanks` spaces, then ": ".
QString label(const char* text, int blanks) {
    return "3=" + QString::fromLatin1(text) + QString(blanks, ' ') + ": ";
}

}  // namespace

TEST(SettingListPageB, DefaultPage) {
    const RecordedPage page = print(kvb::defaultSetData(), "/home/tech/sites/site 9.DAT");
    EXPECT_EQ(kvtest::textAt(page, 25, 5), "KV935R/938R Setting Data List     [ site 9.DAT ]");
    EXPECT_EQ(pageRow(page, 10),
              (QStringList{"3=CH", "7=RX Frq.[MHz]", "21=TX Frq.[MHz]", "35=TX Power",
                           "45=Baud-Rate", "56=D/A", "61=MODEM BR"}));
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(pageRow(page, 11 + n), QStringList{"3=" + QString::asprintf("%2d", n)});
    for (int y = 28; y <= 30; ++y) EXPECT_TRUE(pageRow(page, y).isEmpty()) << y;

    const QStringList lines[] = {
        {label("Data/Audio Signal", 7), "18=H:Data   L:Audio"},
        {label("Busy Signal", 16), "18=H:BUSY"},
        {label("FSQC(Frq.SQC)", 10), "18=OFF"},
        {label("Serail Bau-Rate", 10), "18=4800 bps  "},
        {label("Serial Parity", 15), "18=EVEN      "},
        {label("TOT(Time Out Timer)", 2), "18=OFF       "},
        {label("SAVE Time", 16), "18=OFF      "},
    };
    for (int i = 0; i < 7; ++i) EXPECT_EQ(pageRow(page, 31 + i), lines[i]) << 31 + i;
    // Header (3 texts), headings, channel numbers and the set-mode lines: nothing else.
    EXPECT_EQ(page.size(), 3u + 7u + 16u + 7u * 2u);
}

TEST(SettingListPageB, ChannelColumns) {
    // Used, RxFrq, TxFrq, Power, BR, RxRef, TxRef, DA, MBR; the steps are never printed.
    kvb::TSetData d = kvb::defaultSetData();
    d.Ch[0] = {1, 223.0125, 230.0, 1, 1, 1, 0, 1, 1};
    d.Ch[1] = {1, 224.0, 229.005, 2, 0, 0, 3, 0, 0};
    d.Ch[2] = {1, 235.0, 223.0, 0, 0, 0, 0, 0, 0};
    d.Ch[3] = {1, 230.0, 231.0, -1, 2, 0, 0, -1, 2};  // indexes outside their lists
    d.Ch[4] = {0, 230.0, 231.0, 1, 1, 0, 0, 1, 1};    // not used: its number only
    d.Ch[5] = {2, 230.0, 231.0, 1, 1, 0, 0, 1, 1};
    const RecordedPage page = print(d);
    EXPECT_EQ(pageRow(page, 12), (QStringList{"3= 1", "8=223.0125", "22=230.0000", "36=MID ",
                                              "45=2400/1200bps", "56=ON", "62=1200bps"}));
    EXPECT_EQ(pageRow(page, 13), (QStringList{"3= 2", "8=224.0000", "22=229.0050", "36=LOW ",
                                              "45=4800bps", "56=OFF", "62=2400bps"}));
    EXPECT_EQ(pageRow(page, 14).at(3), "36=HIGH");
    EXPECT_EQ(pageRow(page, 15), (QStringList{"3= 4", "8=230.0000", "22=231.0000"}));
    EXPECT_EQ(pageRow(page, 16), QStringList{"3= 5"});
    EXPECT_EQ(pageRow(page, 17), QStringList{"3= 6"});
}

TEST(SettingListPageB, SetModeValuesFollowTheModelBItemOrders) {
    using M = kvb::TSetMode;
    struct Case {
        int32_t M::*field;
        int32_t value;
        int y;
        const char* text;
    };
    // RG_SB lists 4800, 2400, 1200 and RG_SP EVEN, ODD, NONE: anything else prints the
    // first. Two-valued fields print their second text for anything but 0.
    const Case cases[] = {
        {&M::SB, 1, 34, "2400 bps  "},   {&M::SB, 2, 34, "1200 bps  "},
        {&M::SB, 3, 34, "4800 bps  "},   {&M::SB, -1, 34, "4800 bps  "},
        {&M::SP, 2, 35, "NONE      "},   {&M::SP, 3, 35, "EVEN      "},
        {&M::SP, -1, 35, "EVEN      "},  {&M::Data, -1, 31, "L:Data   H:Audio"},
        {&M::Busy, 0, 32, "L:BUSY"},     {&M::FSQC, 1, 33, "ON"},
        {&M::Tot, 1, 36, " 30  [sec]"},  {&M::Tot, 11, 36, "1200 [sec]"},
        {&M::Tot, 12, 36, "OFF       "}, {&M::Save, 1, 37, "0.5 [sec]"},
        {&M::Save, 8, 37, "9.0 [sec]"},  {&M::Save, -1, 37, "OFF      "},
    };
    for (const Case& c : cases) {
        kvb::TSetData d = kvb::defaultSetData();
        d.Mode.*c.field = c.value;
        EXPECT_EQ(kvtest::textAt(print(d), 18, c.y), c.text) << "y " << c.y << " value " << c.value;
    }

    kvb::TSetData d = kvb::defaultSetData();
    d.Mode.SB = 0;
    d.Mode.SP = 1;
    const RecordedPage page = print(d);
    EXPECT_EQ(kvtest::textAt(page, 18, 34), "4800 bps  ");
    EXPECT_EQ(kvtest::textAt(page, 18, 35), "ODD       ");
}

TEST(PrintWindowB, PrintsTheListIntoTheChosenPdf) {
    kvtest::MessageRecorder boxes;
    const QString pdf = QDir::current().filePath("list.pdf");
    kvtest::PrinterChoice choice(pdf);
    kvb::TMainForm w;
    ASSERT_TRUE(w.findChild<QAction*>("Print1")->isEnabled());
    if (!kvtest::havePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    w.PrinterSet1Click();
    w.FileName = "/home/tech/sites/site-9.DAT";
    const struct {
        int ch;
        const char *rx, *tx;
        int power;
    } channels[] = {
        {1, "223.0125", "230.0", 1}, {2, "224.00625", "229.005", 2}, {16, "235.0", "223.0", 0}};
    for (const auto& c : channels) {
        w.SG_ChData->setCurrentCell(c.ch - 1, 0);
        w.E_RxFrq->setText(c.rx);
        w.E_TxFrq->setText(c.tx);
        w.CB_Power->setCurrentIndex(c.power);
        for (QComboBox* cb : {w.CB_BR, w.CB_DA, w.CB_MBR}) cb->setCurrentIndex(1);
        w.B_SetClick();
    }
    w.RG_SB->setItemIndex(0);
    w.RG_SP->setItemIndex(1);
    w.CB_Tot->setCurrentIndex(11);

    w.Print1Click();
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    const QStringList log = kvtest::logLines(*w.LB_Result);
    EXPECT_EQ(log.mid(log.size() - 2),
              QStringList({"***** Print Start *****", "***** Print Finished *****"}));
    EXPECT_EQ(w.SetData.Mode.SP, 1) << "the controls are copied into the block";
    EXPECT_EQ(w.SetData.Mode.Tot, 11);

    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(kvtest::pdfPageCount(pdf), 1);
    const QString text = kvtest::runTool("pdftotext", {"-layout", pdf, "-"});
    for (const char* expected :
         {"KV935R/938R Setting Data List", "[ site-9.DAT ]", "TX Power", "MODEM BR", "223.0125",
          "229.0050", "MID", "LOW", "HIGH", "2400/1200bps", "Serail Bau-Rate", "FSQC(Frq.SQC)",
          "4800 bps", "ODD", "H:BUSY", "1200 [sec]"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected;
    EXPECT_FALSE(text.contains("SQL")) << "no squelch column";

    const kvtest::PdfPage page = kvtest::readPdf(pdf);
    EXPECT_GT(page.width, page.height) << "landscape";
    kvtest::expectWordsOnThePaper(page);
    kvtest::keepPdfArtefact(pdf, "kvprog_b_setting_list");
}
