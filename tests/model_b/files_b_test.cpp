// File > Open, Save As and Save of the kvprog_b main window: the 800-byte settings file
// against a golden file, what Open shows, bytes no control owns, and files of other sizes.
// The shared course of the commands (questions, dialogs, failed writes) is kvprog_a's tests';
// a file that cannot be replaced is held in both tools (save_faults.h).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <array>

#include "filedialogs.h"
#include "leimage.h"
#include "mainform_b.h"
#include "msgrecorder.h"
#include "platform/radiogroup.h"
#include "save_faults.h"
#include "testdata.h"
#include "testdir.h"
#include "ui/channelgrid.h"
#include "ui/resultlog.h"

using kvb::TMainForm;
using kvtest::FileDialogScript;
using kvtest::logLines;
using kvtest::MessageRecorder;
using kvtest::rowTexts;

namespace {

// A kvprog_b settings file written at its file offsets.
class SettingsImage : public kvtest::LeImage<SettingsImage> {
  public:
    using LeImage::LeImage;
    // Fields of channel n (1..16) at 48 * (n - 1).
    SettingsImage& field(int n, int offset, int32_t v) { return i32(48 * (n - 1) + offset, v); }
};

const QByteArray& golden() {
    static const QByteArray bytes = kvtest::testData("kv93x_settings.dat");
    return bytes;
}

QByteArray blockBytes(const TMainForm& w) {
    return QByteArray(reinterpret_cast<const char*>(&w.SetData), sizeof w.SetData);
}

std::array<int, 7> controls(const TMainForm& w) {
    return {w.RG_Data->ItemIndex(),   w.RG_Busy->ItemIndex(), w.RG_FSQC->ItemIndex(),
            w.RG_SB->ItemIndex(),     w.RG_SP->ItemIndex(),   w.CB_Tot->currentIndex(),
            w.CB_Save->currentIndex()};
}

void setChannel(TMainForm& w, int ch, const QString& rx, const QString& tx,
                std::array<int, 4> indexes) {
    w.SG_ChData->setCurrentCell(ch - 1, 0);
    w.E_RxFrq->setText(rx);
    w.E_TxFrq->setText(tx);
    const QList<QComboBox*> boxes{w.CB_Power, w.CB_BR, w.CB_DA, w.CB_MBR};
    for (int i = 0; i < 4; ++i) boxes[i]->setCurrentIndex(indexes[i]);
    w.B_SetClick();
    ASSERT_EQ(w.SetData.Ch[ch - 1].Used, 1) << "Set refused channel " << ch;
}

void openFile(TMainForm& w, FileDialogScript& dialogs, const QString& name) {
    dialogs.answers.push_back(name);
    w.OPEN1Click();
}

// A window with work in it and a file of its own, and all of it an Open could change.
class WindowWithWork {
  public:
    WindowWithWork() {
        dialogs.answers.push_back(QStringLiteral("mine.DAT"));
        w.SaveAs1Click();
        setChannel(w, 5, "230.0", "230.0125", {1, 1, 1, 1});
        w.RG_SB->setItemIndex(2);
        w.E_TxFrq->setText("231");  // typed, not stored
        boxes.boxes.clear();
        before = state();
    }
    QStringList state() const {
        QStringList s = logLines(w);
        for (int r = 1; r <= 16; ++r) s << rowTexts(w, r);
        for (int i : controls(w)) s << QString::number(i);
        return s + QStringList{w.FileName, w.windowTitle(), w.E_TxFrq->text(),
                               QString::fromLatin1(blockBytes(w).toHex())};
    }

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    QStringList before;
};

}  // namespace

TEST(SettingsFileB, SaveAsWritesTheGoldenFile) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    setChannel(w, 1, "223.0125", "230.0", {1, 1, 1, 1});
    setChannel(w, 2, "224.00625", "229.005", {2, 0, 0, 0});
    setChannel(w, 16, "235.0", "223.0", {0, 0, 1, 0});
    for (auto [rg, i] :
         {std::pair{w.RG_Data, 1}, {w.RG_Busy, 0}, {w.RG_FSQC, 1}, {w.RG_SB, 2}, {w.RG_SP, 1}})
        rg->setItemIndex(i);
    w.CB_Tot->setCurrentIndex(11);
    w.CB_Save->setCurrentIndex(8);
    dialogs.answers.push_back(QStringLiteral("golden"));  // the dialog adds ".DAT"
    w.SaveAs1Click();

    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(w.windowTitle(), "KV93*R - golden.DAT");
    EXPECT_EQ(logLines(w).last(), "File SaveAs [ golden.DAT ]");
    const QByteArray b = kvtest::readFile("golden.DAT");
    ASSERT_EQ(b.size(), 800);
    for (int offset = 0; offset < 800; ++offset)
        ASSERT_EQ(uint8_t(b[offset]), uint8_t(golden()[offset])) << "offset " << offset;
}

TEST(SettingsFileB, GoldenFileOpensOnScreen) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    kvtest::writeFile("golden.DAT", golden());
    TMainForm w;
    w.SG_ChData->setCurrentCell(15, 0);
    const QStringList before = logLines(w);
    openFile(w, dialogs, "golden.DAT");

    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(logLines(w), before + QStringList({"Default Set", "File Open [ golden.DAT ]"}));
    EXPECT_EQ(w.FileName, "golden.DAT");
    EXPECT_EQ(w.windowTitle(), "KV93*R - golden.DAT");
    EXPECT_EQ(blockBytes(w), golden());
    EXPECT_EQ(rowTexts(w, 1),
              (QStringList{"223.0125", "230.0000", "MID ", "2400/1200", "ON", "1200"}));
    EXPECT_EQ(rowTexts(w, 2).mid(1), (QStringList{"229.0050", "LOW ", "4800", "OFF", "2400"}));
    EXPECT_EQ(rowTexts(w, 16), (QStringList{"235.0000", "223.0000", "HIGH", "4800", "ON", "2400"}));
    for (int r = 3; r <= 15; ++r) EXPECT_EQ(rowTexts(w, r), QStringList(6, QString())) << r;
    EXPECT_EQ(controls(w), (std::array{1, 0, 1, 2, 1, 11, 8}));
    // The last step loads the edit panel from the current row, as the file has it.
    EXPECT_EQ(w.CurrentCh, 16);
    EXPECT_EQ(w.E_RxFrq->text(), "235.0000");
    EXPECT_EQ(w.CB_Power->currentText(), "HIGH");
}

// Bytes no control shows, odd steps and an empty frequency of a used channel come back as
// the file held them; Save changes only the set-mode fields the controls own.
TEST(SettingsFileB, BytesNoControlOwnsSurviveOpenSaveAsAndSave) {
    SettingsImage odd(golden());
    for (int i = 1; i < 8; ++i) odd.u8(48 * 1 + i, uint8_t(0xA0 + i));  // gap after Used
    odd.u8(48 * 9 + 3, 0x5A);                                           // gap, empty channel
    odd.field(1, 32, 3).field(1, 36, -7);  // RxRef, TxRef unlike the frequencies' steps
    odd.u8(48 * 4, 1).f64(48 * 4 + 16, 230.0).field(5, 24, 1);    // used, RX 0.0, MID
    odd.u8(796, 0xDE).u8(797, 0xAD).u8(798, 0xBE).u8(799, 0xEF);  // Reserved
    kvtest::writeFile("odd.DAT", odd.bytes());

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    openFile(w, dialogs, "odd.DAT");
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(blockBytes(w), odd.bytes());
    EXPECT_EQ(rowTexts(w, 5), (QStringList{"", "230.0000", "MID ", "", "", ""}));

    dialogs.answers.push_back(QStringLiteral("copy.DAT"));
    w.SaveAs1Click();
    EXPECT_EQ(kvtest::readFile("copy.DAT"), odd.bytes());

    w.RG_SB->setItemIndex(0);
    w.CB_Save->setCurrentIndex(3);
    w.Save1Click();
    EXPECT_EQ(boxes.texts(), QStringList{"\rDo you replace it?"});
    odd.i32(780, 0).i32(792, 3);
    EXPECT_EQ(kvtest::readFile("copy.DAT"), odd.bytes());
    EXPECT_EQ(logLines(w).last(), "File Save [ copy.DAT ]");
}

// A kvprog_a file (824 bytes) is asked about; Yes takes its first 800 bytes as they come.
// A file too short or unreadable fails and changes nothing.
TEST(SettingsFileB, FilesOfAnotherSize) {
    kvtest::writeFile("kv417r.DAT", golden() + QByteArray(24, '\x7F'));

    WindowWithWork refused;
    refused.boxes.answers.push_back(platform::MsgResult::No);
    openFile(refused.w, refused.dialogs, "kv417r.DAT");
    ASSERT_EQ(refused.boxes.boxes.size(), 1);
    EXPECT_EQ(refused.boxes.boxes[0].kind, platform::MsgKind::Confirmation);
    EXPECT_EQ(refused.boxes.boxes[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(refused.boxes.boxes[0].text,
              "This file is 824 bytes long; KV93x settings files are 800 bytes.\r"
              "Open it anyway?");
    EXPECT_EQ(refused.state(), refused.before);

    WindowWithWork taken;
    openFile(taken.w, taken.dialogs, "kv417r.DAT");
    EXPECT_EQ(taken.boxes.boxes.size(), 1);
    EXPECT_EQ(blockBytes(taken.w), golden());
    EXPECT_EQ(taken.w.windowTitle(), "KV93*R - kv417r.DAT");
    EXPECT_EQ(logLines(taken.w).last(), "File Open [ kv417r.DAT ]");
    EXPECT_EQ(rowTexts(taken.w, 1)[2], "MID ");
    EXPECT_EQ(controls(taken.w), (std::array{1, 0, 1, 2, 1, 11, 8}));

    // /proc/self/mem opens but cannot be read at its start, for root too.
    const std::pair<QString, QByteArray> broken[] = {
        {"empty.DAT", {}}, {"short.DAT", golden().left(799)}, {"/proc/self/mem", {}}};
    for (const auto& [name, bytes] : broken) {
        SCOPED_TRACE(name.toStdString());
        if (!name.startsWith('/')) kvtest::writeFile(name, bytes);
        WindowWithWork work;
        openFile(work.w, work.dialogs, name);
        ASSERT_EQ(work.boxes.boxes.size(), 1);
        EXPECT_EQ(work.boxes.boxes[0].kind, platform::MsgKind::Error);
        if (!name.startsWith('/')) {
            EXPECT_EQ(work.boxes.boxes[0].text, "Read beyond end of file: " + name);
        }
        EXPECT_EQ(work.state(), work.before);
    }
}

TEST(SettingsFileB, RefusedSaveAsKeepsTheNameSoSaveSparesThatFile) {
    kvtest::writeFile("theirs.DAT", "keep me");
    WindowWithWork work;
    work.boxes.answers.push_back(platform::MsgResult::No);
    work.dialogs.answers.push_back(QStringLiteral("theirs.DAT"));
    work.w.SaveAs1Click();
    EXPECT_EQ(work.boxes.texts(), QStringList{"A file exists.\rDo you replace it?"});
    EXPECT_EQ(work.state(), work.before);

    work.w.Save1Click();
    EXPECT_EQ(kvtest::readFile("theirs.DAT"), "keep me");
    EXPECT_EQ(kvtest::readFile("mine.DAT"), blockBytes(work.w));
    EXPECT_EQ(logLines(work.w).last(), "File Save [ mine.DAT ]");
}

namespace kvtest {
INSTANTIATE_TYPED_TEST_SUITE_P(KV93x, MainWindowSave, kvb::TMainForm);
}  // namespace kvtest
