// The shared widgets: the result log's scrolling, the channel grid, the printed list's
// file name part, the service windows' boxes during an operation.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <stdexcept>

#include "core/listpage.h"
#include "msgrecorder.h"
#include "serial/CommX.h"
#include "testdir.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/resultlog.h"
#include "ui/serviceform.h"

TEST(ResultLog, ScrollsOnlyAfterFiveLines) {
    kvui::ResultLog log(nullptr);
    log.resize(400, 109);
    log.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
    QScrollBar* bar = log.verticalScrollBar();

    for (int i = 0; i < 20; ++i) log.addItem(QString::number(i));  // not counted
    log.scrollToBottom();
    ASSERT_GT(bar->value(), 0);
    // Fewer than five lines were added: the list goes back to its top, line after line.
    for (int i = 0; i < 5; ++i) {
        log.AddResult("early line");
        EXPECT_EQ(bar->value(), 0) << i;
    }
    EXPECT_EQ(log.added(), 5);

    log.AddResult("late line");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(log.viewport()->rect().intersects(log.visualItemRect(log.item(log.count() - 1))));
    EXPECT_EQ(log.added(), 6);

    log.ClearResult();
    EXPECT_EQ(log.count(), 0);
    EXPECT_EQ(log.added(), 0);
}

TEST(ChannelGrid, LabelsRowsAndClearing) {
    kvui::ChannelGrid grid({60, 60, 50}, nullptr);
    grid.showHeadings({"RX Frq.", "TX Frq.", "       BR"});
    EXPECT_EQ(grid.rowCount(), 16);
    EXPECT_EQ(grid.columnCount(), 3);
    EXPECT_EQ(grid.verticalHeaderItem(0)->text(), "CH 1");
    EXPECT_EQ(grid.verticalHeaderItem(15)->text(), "CH16");
    EXPECT_EQ(grid.horizontalHeaderItem(2)->text(), "       BR");
    EXPECT_EQ(grid.columnWidth(2), 50);
    EXPECT_EQ(grid.currentRow(), 0) << "the grid starts on channel 1";

    grid.setRow(16, {"229.5125", "230.0000", "x"});
    grid.setRow(2, {"224.0000"});  // fewer texts leave the other cells empty
    EXPECT_EQ(grid.cellText(16, 3), "x");
    EXPECT_EQ(grid.cellText(2, 1), "224.0000");
    EXPECT_EQ(grid.cellText(2, 2), "");
    grid.clearRow(16);
    EXPECT_EQ(grid.cellText(16, 1), "");
    EXPECT_EQ(grid.cellText(2, 1), "224.0000");
    grid.clearAll();
    EXPECT_EQ(grid.cellText(2, 1), "");
}

TEST(ListPage, FileNamePartTakesEitherSeparator) {
    const char* paths[][2] = {
        {"/home/user/settings/site A.DAT", "site A.DAT"},
        {"C:\\KV\\data\\SET1.DAT", "SET1.DAT"},
        {"mixed/dir\\last.dat", "last.dat"},
        {"plain.DAT", "plain.DAT"},
        {"", ""},
    };
    for (const auto& p : paths) EXPECT_EQ(kvcore::fileNamePart(p[0]), p[1]) << p[0];
}

TEST(FrequencyBox, LimitsTypingNotWhatIsShown) {
    QWidget parent;
    QLineEdit* box = kvui::makeFrequencyBox("E_RxFrq", &parent);
    QTest::keyClicks(box, "229.51250");
    EXPECT_EQ(box->text(), "229.5125");

    box->setText("1000.0000");  // from a modem or a file
    EXPECT_EQ(box->text(), "1000.0000");
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, "1");
    EXPECT_EQ(box->text(), "1000.0000") << "never longer than shown";
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, "12");
    EXPECT_EQ(box->text(), "1000.0001") << "but it may be edited";

    box->setText("224");
    QTest::keyClicks(box, "1234567");
    EXPECT_EQ(box->text(), "22412345");
}

namespace {

// A service window with one of each kind of control.
class Service : public kvui::TServiceForm {
  public:
    explicit Service(TCustomCommX* comm) : TServiceForm(nullptr, comm) {
        status->setReadOnly(true);
        fixed->setEnabled(false);
    }
    using TServiceForm::runOperation;
    QString reachable() const {
        QString s;
        for (const QWidget* w :
             std::initializer_list<const QWidget*>{value, list, status, fixed, button})
            s += w->isEnabled() ? '1' : '0';
        return s;
    }

    QLineEdit* value = new QLineEdit(this);
    QComboBox* list = makeList(this, "CB_SQL", {"L1", "L2"});
    QLineEdit* status = new QLineEdit(this);
    QLineEdit* fixed = new QLineEdit(this);
    QPushButton* button = makeButton(this, "Button2", "READ");
};

}  // namespace

// While an operation runs, the boxes it reads or fills are out of reach; the status line and
// the buttons stay, and everything comes back however the operation ends.
TEST(ServiceForm, BoxesOutOfReachWhileAnOperationRuns) {
    kvtest::MessageRecorder boxes;
    TCommX comm;
    Service form(&comm);
    form.show();
    QApplication::setActiveWindow(&form);
    form.value->setFocus();
    QStringList seen;
    form.runOperation("READ", [&] { seen << form.reachable(); });
    seen << form.reachable();
    form.runOperation("READ", [&] {
        seen << form.reachable();
        throw std::runtime_error("Communication Error[1]!!");
    });
    seen << form.reachable();
    EXPECT_EQ(seen, QStringList({"00101", "11101", "00101", "11101"}));
    EXPECT_EQ(boxes.texts(), QStringList{"Communication Error[1]!!"});
    EXPECT_EQ(form.focusWidget(), form.value) << "the focus goes back where it was";
}
