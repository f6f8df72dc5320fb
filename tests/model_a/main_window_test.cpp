// The kvprog_a main window offscreen: start-up in both modes, the port file, the edit panel's
// Set/Clear/Default, grid clicks, the result log's scrolling and the version box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "mainform_a.h"
#include "model_a/main.h"
#include "model_a/printlist.h"
#include "model_a/program.h"
#include "msgrecorder.h"
#include "platform/canvas.h"
#include "platform/localefmt.h"
#include "platform/radiogroup.h"
#include "recordedpage.h"
#include "serial/CommX.h"
#include "testdir.h"

using kva::TMainForm;
using kvtest::logLines;

namespace {

QByteArray int32le(int32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return b;
}

bool isRed(QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(Qt::red);
}

QList<QWidget*> editFields(const TMainForm& w) {
    return {w.E_RxFrq, w.E_TxFrq, w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR, w.CB_SQL};
}

void clickGridRow(TMainForm& w, int row) {
    QTableWidget* g = w.SG_ChData;
    const QRect cell = g->visualRect(g->model()->index(row - 1, 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
}

}  // namespace

// The first log line and the printed list's header: the locale's short date and its long
// time, which shows hours, minutes and seconds but no time zone. Both tools share them.
TEST(MainWindowStartup, DateAndTimeAsTheLocaleWritesThem) {
    const struct {
        const char* locale;
        const char* when;
    } cases[] = {{"C", "9 Dec 2026  08:24:15"},
                 {"en_US", "12/9/26  8:24:15 AM"},
                 {"de_DE", "09.12.26  08:24:15"}};
    platform::setClockForTesting([] { return QDateTime(QDate(2026, 12, 9), QTime(8, 24, 15)); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        platform::setLocaleForTesting(QLocale(QString::fromLatin1(c.locale)));
        TMainForm w;
        EXPECT_EQ(logLines(w)[0], QStringLiteral("Today:") + c.when);
        platform::TRecordingCanvas canvas;
        kva::printSettingList(canvas, w.SetData, w.FileName, platform::currentDateTime());
        EXPECT_EQ(kvtest::textAt(kvtest::recordedPage(canvas), 60, 2), c.when);
    }
    platform::setLocaleForTesting(std::nullopt);
    platform::setClockForTesting(nullptr);
}

TEST(MainWindowStartup, NormalModeLogsAndDefaults) {
    TMainForm w;
    const QStringList lines = logLines(w);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith("Today:"));
    EXPECT_EQ(lines[1], "***** Initialize Start *****");
    EXPECT_EQ(lines[2], "Mode:Proper");
    EXPECT_EQ(lines[3], "Default Set");
    EXPECT_EQ(lines[4], "PortNo:1");
    EXPECT_EQ(lines[5], "***** Initialize Finished *****");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
    EXPECT_FALSE(w.Label14->isVisibleTo(&w));
    EXPECT_FALSE(w.Factory1->isEnabled());
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.CommX1->PortNo(), 1);
    EXPECT_TRUE(w.N11->isChecked());
    EXPECT_EQ(w.SG_ChData->horizontalHeaderItem(3)->text(), "       BR");
    EXPECT_EQ(w.SG_ChData->verticalHeaderItem(8)->text(), "CH 9");
    EXPECT_EQ(w.RG_SB->ItemIndex(), 3);
    EXPECT_EQ(w.RG_SP->ItemIndex(), 2);
    EXPECT_EQ(w.RG_SD->ItemIndex(), 1);
    EXPECT_EQ(w.CB_Tot->currentIndex(), 0);
    EXPECT_FALSE(w.CB_SL->isEnabled());
    EXPECT_EQ(w.CommX1->ParityBit(), cpbEven);
    EXPECT_EQ(w.CommX1->FlowCtrl(), cfcNone);

    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.grab().save(kvtest::artefactPath("kvprog_a_main.png"));
}

TEST(MainWindowStartup, ProductionModeWidensLimits) {
    kvtest::writeFile("seisan.fmt", "");  // odd case, as copied from Windows
    TMainForm w;
    EXPECT_EQ(logLines(w).value(2), "Mode:Debug");
    EXPECT_TRUE(w.Label14->isVisibleTo(&w));
    EXPECT_TRUE(w.Label14->isEnabled());
    EXPECT_TRUE(w.Factory1->isEnabled());

    for (const char* good : {"200.0", "250.0"}) {
        kvtest::fillEditPanel(w, good, good);
        w.B_SetClick();
        EXPECT_FALSE(isRed(w.E_RxFrq)) << good;
    }
    for (const char* bad : {"199.9999", "250.0001"}) {
        kvtest::fillEditPanel(w, bad, "230");
        w.B_SetClick();
        EXPECT_TRUE(isRed(w.E_RxFrq)) << bad;
        EXPECT_FALSE(isRed(w.E_TxFrq));
    }
}

TEST(MainWindowStartup, PortFileSetsPortAndMark) {
    kvtest::writeFile("KV417R.INI", int32le(3));
    TMainForm w;
    EXPECT_EQ(logLines(w).value(4), "PortNo:3");
    EXPECT_EQ(w.CommX1->PortNo(), 3);
    EXPECT_FALSE(w.N11->isChecked());
    EXPECT_TRUE(w.N31->isChecked());
}

TEST(MainWindowStartup, PortFileOutsideMenuMarksNothing) {
    kvtest::writeFile("kv417r.ini", int32le(7) + QByteArray("extra"));
    TMainForm w;
    EXPECT_EQ(logLines(w).value(4), "PortNo:7");
    for (QAction* a : {w.N11, w.N21, w.N31, w.N41}) EXPECT_FALSE(a->isChecked());
}

TEST(MainWindowStartup, ShortPortFileShowsErrorAndStopsStartup) {
    kvtest::writeFile("KV417R.INI", QByteArray("\x02\x00", 2));
    kvtest::MessageRecorder boxes;
    TMainForm w;
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_TRUE(boxes.boxes[0].text.contains("Read beyond end of file"));
    const QStringList lines = logLines(w);
    EXPECT_EQ(lines.last(), "Default Set");
    EXPECT_EQ(w.CommX1->PortNo(), 1);
    EXPECT_TRUE(w.N11->isChecked());
}

TEST(MainWindowStartup, DamagedFactoryIniIsReportedWhenTheFactoryWindowOpens) {
    kvtest::writeFile("Factory.INI", QByteArray(29, '\x11'));
    kvtest::MessageRecorder boxes;
    kva::createStartWindows();
    EXPECT_TRUE(boxes.boxes.isEmpty()) << "normal mode, where the window can never open";
    kvtest::writeFile("Seisan.FMT", "");
    const std::unique_ptr<TMainForm> w = kva::createStartWindows();
    EXPECT_TRUE(boxes.boxes.isEmpty());

    QTimer closer;  // ends the modal factory window once it shows
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    closer.start(10);
    w->Factory1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_TRUE(boxes.boxes[0].text.contains("Read beyond end of file"));
}

TEST(MainWindowEditPanel, SetWithEveryFieldFaultyMarksAllSevenRed) {
    TMainForm w;
    const int linesBefore = w.LB_Result->count();
    w.E_RxFrq->setText("");
    w.E_TxFrq->setText("abc");
    w.B_SetClick();
    for (QWidget* f : editFields(w)) EXPECT_TRUE(isRed(f)) << f->objectName().toStdString();
    EXPECT_EQ(w.LB_Result->count(), linesBefore);
    EXPECT_FALSE(w.SetData.Ch[0].Used);

    // A good Set whitens them again.
    kvtest::fillEditPanel(w, "229.5125", "230");
    w.B_SetClick();
    for (QWidget* f : editFields(w)) EXPECT_FALSE(isRed(f)) << f->objectName().toStdString();
}

TEST(MainWindowEditPanel, NormalModeLimitsIncludeBothEnds) {
    TMainForm w;
    kvtest::fillEditPanel(w, "223.0", "235.0");
    w.B_SetClick();
    EXPECT_FALSE(isRed(w.E_RxFrq));
    EXPECT_FALSE(isRed(w.E_TxFrq));
    kvtest::fillEditPanel(w, "222.9999", "235.0001");
    w.B_SetClick();
    EXPECT_TRUE(isRed(w.E_RxFrq));
    EXPECT_TRUE(isRed(w.E_TxFrq));
}

TEST(MainWindowEditPanel, SetStoresChannelAndWritesRowTwiceLoggedOnce) {
    TMainForm w;
    clickGridRow(w, 4);
    EXPECT_EQ(w.CurrentCh, 4);
    kvtest::fillEditPanel(w, "229.5125", " 231.25 ", 4, 0, 1, 1, 8);
    w.B_SetClick();
    w.B_SetClick();
    const QStringList lines = logLines(w);
    EXPECT_EQ(lines[lines.size() - 1], "Data Set [Ch:4]");
    EXPECT_EQ(lines[lines.size() - 2], "Data Set [Ch:4]");
    const kva::TChData& c = w.SetData.Ch[3];
    EXPECT_EQ(c.Used, 1);
    EXPECT_DOUBLE_EQ(c.RxFrq, 229.5125);
    EXPECT_DOUBLE_EQ(c.TxFrq, 231.25);
    EXPECT_EQ(c.Power, 4);
    EXPECT_EQ(c.SQL, 8);
    int used = 0;
    for (const auto& ch : w.SetData.Ch) used += ch.Used ? 1 : 0;
    EXPECT_EQ(used, 1);
    EXPECT_EQ(w.cellText(4, 1), "229.5125");
    EXPECT_EQ(w.cellText(4, 2), "231.2500");
    EXPECT_EQ(w.cellText(4, 3), "    L5");
    EXPECT_EQ(w.cellText(4, 4), "     4800");
    EXPECT_EQ(w.cellText(4, 5), " ON ");
    EXPECT_EQ(w.cellText(4, 6), "1200");
    EXPECT_EQ(w.cellText(4, 7), "    L9");
}

TEST(MainWindowEditPanel, GridClickLoadsPanelAndClearEmptiesChannel) {
    TMainForm w;
    clickGridRow(w, 2);
    kvtest::fillEditPanel(w, "224", "225", 0, 1, 0, 1, 0);
    w.B_SetClick();
    clickGridRow(w, 1);
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.E_RxFrq->text(), "");
    EXPECT_EQ(w.CB_Power->currentIndex(), -1);

    clickGridRow(w, 2);
    EXPECT_EQ(w.CurrentCh, 2);
    EXPECT_EQ(w.E_ChNo->text(), " 2");
    EXPECT_EQ(w.E_RxFrq->text(), "224.0000");
    EXPECT_EQ(w.E_TxFrq->text(), "225.0000");
    EXPECT_EQ(w.CB_BR->currentText(), "2400/1200");
    EXPECT_EQ(w.CB_DA->currentText(), "OFF");
    EXPECT_EQ(w.CB_SQL->currentText(), "L1");

    w.B_ClearClick();
    EXPECT_EQ(logLines(w).last(), "Data Clear [Ch:2]");
    EXPECT_FALSE(w.SetData.Ch[1].Used);
    EXPECT_EQ(w.SetData.Ch[1].RxFrq, 0.0);
    EXPECT_EQ(w.SetData.Ch[1].Power, -1);
    for (int c = 1; c <= 7; ++c) EXPECT_EQ(w.cellText(2, c), "");
    EXPECT_EQ(w.E_RxFrq->text(), "");
    EXPECT_EQ(w.CB_MBR->currentIndex(), -1);
    EXPECT_EQ(w.CB_MBR->currentText(), "");
}

TEST(MainWindowEditPanel, DefaultResetsTableControlsAndPanel) {
    TMainForm w;
    clickGridRow(w, 5);
    kvtest::fillEditPanel(w, "224", "225");
    w.B_SetClick();
    w.RG_SB->setItemIndex(0);
    w.CB_Tot->setCurrentIndex(7);
    w.Default1Click();
    EXPECT_EQ(logLines(w).last(), "Default Set");
    EXPECT_EQ(w.CurrentCh, 1);
    EXPECT_EQ(w.E_ChNo->text(), " 1");
    EXPECT_EQ(w.cellText(5, 1), "");
    EXPECT_FALSE(w.SetData.Ch[4].Used);
    EXPECT_EQ(w.SetData.Ch[4].SQL, -1);
    EXPECT_EQ(w.RG_SB->ItemIndex(), 3);
    EXPECT_EQ(w.CB_Tot->currentIndex(), 0);
    EXPECT_EQ(w.SetData.Mode.SP, 2);
    EXPECT_EQ(w.E_RxFrq->text(), "");
}

TEST(MainWindowMenus, PortItemsMarkOneAndSetPortNo) {
    TMainForm w;
    w.N31Click();
    EXPECT_EQ(w.CommX1->PortNo(), 3);
    EXPECT_FALSE(w.N11->isChecked());
    EXPECT_TRUE(w.N31->isChecked());
    w.N21Click();
    EXPECT_EQ(w.CommX1->PortNo(), 2);
    EXPECT_FALSE(w.N31->isChecked());
    EXPECT_TRUE(w.N21->isChecked());
}

TEST(MainWindowMenus, VersionBoxText) {
    kvtest::MessageRecorder boxes;
    TMainForm w;
    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("1.0.7.4");
    w.Version1Click();
    QCoreApplication::setApplicationVersion(QString());
    w.Version1Click();
    QCoreApplication::setApplicationVersion(before);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Plain);
    EXPECT_EQ(boxes.boxes[0].text, "KV417R PC Programming  \r\r Version : 1.0.7.4");
}

TEST(MainWindowEditPanel, DecimalCommaLocaleBothWays) {
    platform::setDecimalSeparatorForTesting(QChar(','));
    {
        TMainForm w;
        w.CurrentCh = 3;
        kvtest::fillEditPanel(w, "229,5125", " 230,25 ");
        w.B_SetClick();
        EXPECT_FALSE(isRed(w.E_RxFrq));
        EXPECT_DOUBLE_EQ(w.SetData.Ch[2].RxFrq, 229.5125);
        EXPECT_EQ(w.cellText(3, 2), "230,2500");
        clickGridRow(w, 3);
        EXPECT_EQ(w.E_RxFrq->text(), "229,5125");
    }
    platform::setDecimalSeparatorForTesting(QChar());
}
