// File > Print and Printer Set of the kvprog_a main window on real printer output: a PDF file
// chosen in Printer Set, read back with poppler's tools; and the failures a user can meet.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTableWidget>

#include "mainform_a.h"
#include "model_a/main.h"
#include "msgrecorder.h"
#include "pdfcheck.h"
#include "platform/dialogs.h"
#include "platform/radiogroup.h"
#include "testdir.h"

using kva::TMainForm;
using kvtest::havePoppler;
using kvtest::logLines;
using kvtest::MessageRecorder;
using kvtest::PdfPage;
using kvtest::PdfWord;
using kvtest::PrinterChoice;
using kvtest::readPdf;

namespace {

void setChannel(TMainForm& w, int ch, const QString& rx, const QString& tx) {
    w.SG_ChData->setCurrentCell(ch - 1, 0);
    w.SG_ChDataClick();
    w.E_RxFrq->setText(rx);
    w.E_TxFrq->setText(tx);
    for (QComboBox* cb : {w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR, w.CB_SQL}) cb->setCurrentIndex(1);
    w.B_SetClick();
}

}  // namespace

TEST(PrintWindow, PrintsTheListIntoTheChosenPdf) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    MessageRecorder boxes;
    const QString pdf = QDir::current().filePath("list.pdf");
    PrinterChoice choice(pdf);
    TMainForm w;
    w.PrinterSet1Click();
    w.FileName = "C:\\KV\\site-7.DAT";
    setChannel(w, 1, "229.5125", "223.0");
    setChannel(w, 16, "235.0", "234.9875");
    setChannel(w, 9, "230.0", "230.0");
    w.SG_ChData->setCurrentCell(8, 0);
    w.B_ClearClick();
    w.CB_Tot->setCurrentIndex(11);
    w.RG_SP->setItemIndex(1);

    w.Print1Click();
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    const QStringList log = logLines(w);
    EXPECT_EQ(log.mid(log.size() - 2),
              QStringList({"***** Print Start *****", "***** Print Finished *****"}));
    EXPECT_EQ(w.SetData.Mode.Tot, 11) << "the controls are copied into the block";
    EXPECT_EQ(w.SetData.Mode.SP, 1);

    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(kvtest::pdfPageCount(pdf), 1);
    const QString text = kvtest::runTool("pdftotext", {"-layout", pdf, "-"});
    for (const char* expected :
         {"KORVAN ELECTRONICS IND.CO.,LTD.", "KV417R Setting Data List", "[ site-7.DAT ]",
          "RX Frq.[MHz]", "MODEM BR", "229.5125", "234.9875", "2400/1200bps", "1200 [sec]",
          "Serail Bau-Rate", "ODD", "Sleep"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected;
    EXPECT_FALSE(text.contains("230.0000")) << "the cleared channel prints only its number";

    // Landscape, and nothing beyond the paper's edge.
    const PdfPage page = readPdf(pdf);
    EXPECT_GT(page.width, page.height);
    kvtest::expectWordsOnThePaper(page);
    // The rightmost column and the last line are on the page.
    EXPECT_NE(page.word("SQL"), nullptr);
    EXPECT_NE(page.word("Sleep"), nullptr);
    // Headings and values stand in one column, rows one line apart.
    const PdfWord* ch = page.word("CH");
    const PdfWord* korvan = page.word("KORVAN");
    ASSERT_TRUE(ch && korvan);
    EXPECT_NEAR(ch->xMin, korvan->xMin, 1.0) << "both at x = 3 W";

    kvtest::keepPdfArtefact(pdf, "kvprog_a_setting_list");
}

TEST(PrintWindow, PortraitChosenInPrinterSetIsKept) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    MessageRecorder boxes;
    const QString pdf = QDir::current().filePath("portrait.pdf");
    PrinterChoice choice(pdf, QPageLayout::Portrait);
    TMainForm w;
    w.PrinterSet1Click();
    w.Print1Click();
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    const PdfPage page = readPdf(pdf);
    EXPECT_LT(page.width, page.height);
}

TEST(PrintWindow, SameProportionsAtTwoResolutions) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    MessageRecorder boxes;
    PdfPage pages[2];
    const int resolutions[2] = {300, 1200};
    for (int i = 0; i < 2; ++i) {
        const QString pdf = QDir::current().filePath(QString("res%1.pdf").arg(i));
        PrinterChoice choice(pdf);
        TMainForm w;
        w.PrinterSet1Click();
        platform::currentPrinter().setResolution(resolutions[i]);
        w.Print1Click();
        ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
        pages[i] = readPdf(pdf);
    }
    // W and H are whole device units, so at 300 dpi they are up to half a unit (about 1.3 %
    // at 39 units) off their exact size; the drift grows toward the right edge.
    // The lowest "16" is channel 16's number: on the 16th of a month the date in the
    // header reads "16" as well.
    for (const char* word : {"KORVAN", "SQL", "Sleep", "16"}) {
        const PdfWord* a = pages[0].lowest(word);
        const PdfWord* b = pages[1].lowest(word);
        ASSERT_TRUE(a && b) << word;
        EXPECT_NEAR(a->xMin, b->xMin, pages[1].width * 0.02) << word;
        EXPECT_NEAR(a->yMin, b->yMin, pages[1].height * 0.02) << word;
    }
}

TEST(PrintWindow, NoPrinterShowsAnErrorAndLeavesTheStartLine) {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed; this test would print on it";
    platform::resetCurrentPrinter();
    MessageRecorder boxes;
    TMainForm w;
    w.CB_Save->setCurrentIndex(5);
    w.Print1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, "No printer is available.");
    EXPECT_EQ(logLines(w).last(), "***** Print Start *****");
    EXPECT_EQ(w.SetData.Mode.Save, 5) << "the block keeps the values copied before printing";
}

TEST(PrintWindow, UnwritablePdfShowsAnError) {
    MessageRecorder boxes;
    const QString pdf = QDir::current().filePath("no/such/folder/list.pdf");
    PrinterChoice choice(pdf);
    TMainForm w;
    w.PrinterSet1Click();
    w.Print1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, "The PDF file could not be written: " + pdf);
    EXPECT_EQ(logLines(w).last(), "***** Print Start *****");

    // The next attempt, once the folder exists, prints.
    QDir().mkpath("no/such/folder");
    w.Print1Click();
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(logLines(w).last(), "***** Print Finished *****");
    EXPECT_TRUE(QFile::exists(pdf));
}
