// File > Open, Save As and Save of the kvprog_a main window: the 824-byte settings file, the
// questions, the caption and log, broken and hostile files, and failed writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <limits>

#include "filehelpers.h"
#include "model_a/main.h"
#include "msgrecorder.h"
#include "platform/radiogroup.h"
#include "save_faults.h"
#include "testdir.h"

using kva::TMainForm;
using kvtest::blockBytes;
using kvtest::BlockImage;
using kvtest::FileDialogScript;
using kvtest::logLines;
using kvtest::MessageRecorder;

namespace {

void setChannel(TMainForm& w, int ch, const QString& rx, const QString& tx, int power, int br,
                int da, int mbr, int sql) {
    w.SG_ChData->setCurrentCell(ch - 1, 0);
    kvtest::fillEditPanel(w, rx, tx, power, br, da, mbr, sql);
    w.B_SetClick();
    ASSERT_EQ(w.SetData.Ch[ch - 1].Used, 1) << "Set refused channel " << ch;
}

QStringList rowTexts(const TMainForm& w, int row) {
    QStringList t;
    for (int c = 1; c <= 7; ++c) t << w.cellText(row, c);
    return t;
}

QStringList allCells(const TMainForm& w) {
    QStringList t;
    for (int r = 1; r <= 16; ++r) t << rowTexts(w, r);
    return t;
}

QByteArray modeBytes(const kva::TSetMode& m) {
    return QByteArray(reinterpret_cast<const char*>(&m), sizeof m);
}

// Channels 3 and 16 set, channel 7 set with a zero frequency, odd values in the gaps.
BlockImage sampleFile() {
    BlockImage b = BlockImage::defaults();
    b.channel(3, 1, 229.5125, 223.0, 4, 1, 1, 1, 8);
    b.channel(16, 1, 235.0, 234.9875, 0, 0, 0, 0, 0);
    b.channel(7, 1, 0.0, 230.0, 2, 0, 1, 0, 3);
    for (int i = 1; i < 8; ++i) b.u8(48 * 2 + i, uint8_t(0xA0 + i));  // gap after Used
    b.i32(48 * 15 + 44, 0x5A5A5A5A);                                  // gap at record end
    b.i32(820, -123456);                                              // gap after SL
    b.setMode({1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 11, 8, 0});
    return b;
}

// Opens `name` through File > Open in `w`.
void openFile(TMainForm& w, FileDialogScript& dialogs, const QString& name) {
    dialogs.answers.push_back(name);
    w.OPEN1Click();
}

// Makes a file that even root cannot open for writing (immutable flag); undone on exit.
class WriteProtected {
  public:
    explicit WriteProtected(const QString& path) : path_(path) {
        if (geteuid() != 0)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        else
            immutable_ = setImmutable(true);
    }
    ~WriteProtected() {
        if (immutable_) setImmutable(false);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    }
    bool effective() const {
        QFile f(path_);
        return !f.open(QIODevice::ReadWrite);
    }

  private:
    bool setImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY);
        int flags = 0;
        bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0) ::close(fd);
        return ok;
    }
    QString path_;
    bool immutable_ = false;
};

// Files may grow only to `limit` bytes while this lives: a full disk, for root too.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit l = old_;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Save As, Open, Save

TEST(SettingsFileRoundTrip, SaveAsOpenSaveRestoresEverythingByteForByte) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    QByteArray saved, mode;
    {
        TMainForm w;
        setChannel(w, 1, "223.0", "235.0", 0, 0, 0, 0, 0);
        setChannel(w, 9, "229.5125", "230.0001", 4, 1, 1, 1, 8);
        w.RG_Data->setItemIndex(1);
        w.RG_SP->setItemIndex(1);
        w.CB_Tot->setCurrentIndex(11);
        mode = modeBytes(w.controlSetMode());
        dialogs.answers.push_back(QStringLiteral("first"));  // the dialog adds ".DAT"
        w.SaveAs1Click();
        EXPECT_TRUE(boxes.boxes.isEmpty()) << "no question for a new file";
        EXPECT_EQ(w.windowTitle(), "KV417R - first.DAT");
        EXPECT_EQ(logLines(w).last(), "File SaveAs [ first.DAT ]");
        saved = kvtest::readFile("first.DAT");
        EXPECT_EQ(saved, blockBytes(w.SetData));
    }

    TMainForm w;
    w.SG_ChData->setCurrentCell(8, 0);  // channel 9 in the edit panel, still empty
    const QStringList before = logLines(w);
    openFile(w, dialogs, "first.DAT");
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(logLines(w), before + QStringList({"Default Set", "File Open [ first.DAT ]"}));
    EXPECT_EQ(w.windowTitle(), "KV417R - first.DAT");
    EXPECT_EQ(rowTexts(w, 1), QStringList({"223.0000", "235.0000", "    L1", "     4800", "OFF",
                                           "2400", "    L1"}));
    EXPECT_EQ(rowTexts(w, 9),
              QStringList({"229.5125", "230.0001", "    L5", "2400/1200", "ON", "1200", "    L9"}));
    EXPECT_EQ(allCells(w).count(QString()), 14 * 7);
    EXPECT_EQ(blockBytes(w.SetData), saved) << "Used flags and all";
    EXPECT_EQ(modeBytes(w.controlSetMode()), mode);
    EXPECT_EQ(w.E_RxFrq->text(), "229.5125") << "the edit panel is loaded from the file";

    w.Save1Click();
    ASSERT_EQ(boxes.texts(), QStringList({"\rDo you replace it?"}));
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Confirmation);
    EXPECT_EQ(kvtest::readFile("first.DAT"), saved);
    EXPECT_EQ(logLines(w).last(), "File Save [ first.DAT ]");
}

TEST(SettingsFileRoundTrip, GoldenFileWrittenOffsetByOffset) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    setChannel(w, 2, "229.5125", "223.0", 4, 1, 1, 1, 8);
    setChannel(w, 16, "235.0", "234.9875", 0, 0, 0, 0, 0);
    w.RG_Busy->setItemIndex(1);
    w.RG_SB->setItemIndex(1);
    w.RG_ST->setItemIndex(1);
    w.CB_Tot->setCurrentIndex(11);
    w.CB_Save->setCurrentIndex(4);
    dialogs.answers.push_back(QStringLiteral("golden.DAT"));
    w.SaveAs1Click();

    BlockImage expected = BlockImage::defaults();
    expected.channel(2, 1, 229.5125, 223.0, 4, 1, 1, 1, 8);
    expected.channel(16, 1, 235.0, 234.9875, 0, 0, 0, 0, 0);
    expected.setMode({0, 1, 0, 0, 0, 1, 2, 1, 1, 0, 11, 4, 0});
    const QByteArray b = kvtest::readFile("golden.DAT");
    ASSERT_EQ(b.size(), 824);
    for (int offset = 0; offset < 824; ++offset)
        ASSERT_EQ(uint8_t(b[offset]), uint8_t(expected.bytes()[offset])) << "offset " << offset;
}

TEST(SettingsFileRoundTrip, GoldenFileOpensOnScreenAndSavesBack) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    kvtest::writeFile("golden.DAT", sampleFile().bytes());
    TMainForm w;
    openFile(w, dialogs, "golden.DAT");
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(rowTexts(w, 3),
              QStringList({"229.5125", "223.0000", "    L5", "2400/1200", "ON", "1200", "    L9"}));
    EXPECT_EQ(rowTexts(w, 16), QStringList({"235.0000", "234.9875", "    L1", "     4800", "OFF",
                                            "2400", "    L1"}));
    // A frequency of 0 leaves its cell empty even though the rest of the channel is set.
    EXPECT_EQ(rowTexts(w, 7),
              QStringList({"", "230.0000", "    L3", "     4800", "ON", "2400", "    L4"}));
    const kva::TSetMode expected{1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 11, 8, 0};
    EXPECT_EQ(modeBytes(w.controlSetMode()), modeBytes(expected));
    EXPECT_EQ(blockBytes(w.SetData), sampleFile().bytes());

    dialogs.answers.push_back(QStringLiteral("copy.DAT"));
    w.SaveAs1Click();
    EXPECT_EQ(kvtest::readFile("copy.DAT"), sampleFile().bytes()) << "gaps included";

    // Save takes the set-mode controls as they are now, not as the file had them.
    w.RG_Data->setItemIndex(0);
    w.RG_SB->setItemIndex(2);
    w.CB_Save->setCurrentIndex(3);
    w.Save1Click();
    BlockImage changed = sampleFile();
    changed.i32(768, 0).i32(788, 2).i32(812, 3);
    EXPECT_EQ(kvtest::readFile("copy.DAT"), changed.bytes());
}

// ---------------------------------------------------------------------------------------------
// Open: sizes, missing names, cancel, protected and hostile files

// A window with work in it and a file name of its own, and what of it an Open may change.
class WindowWithWork {
  public:
    WindowWithWork() {
        dialogs.answers.push_back(QStringLiteral("mine.DAT"));
        w.SaveAs1Click();
        setChannel(w, 5, "230.0", "230.0", 1, 1, 1, 1, 1);
        w.RG_SB->setItemIndex(1);
        w.E_TxFrq->setText("231");  // typed, not stored
        boxes.boxes.clear();
        before = state();
    }
    QStringList state() const {
        return allCells(w) + logLines(w) +
               QStringList{w.FileName, w.windowTitle(), w.E_TxFrq->text(),
                           QString::fromLatin1(blockBytes(w.SetData).toHex()),
                           QString::fromLatin1(modeBytes(w.controlSetMode()).toHex())};
    }

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    QStringList before;
};

TEST(SettingsFileOpen, ShortOrUnreadableFilesChangeNothing) {
    const QByteArray full = sampleFile().bytes();
    // /proc/self/mem opens but cannot be read at its start, for root too.
    const std::pair<QString, QByteArray> cases[] = {{"empty.DAT", full.left(0)},
                                                    {"ten.DAT", full.left(10)},
                                                    {"short.DAT", full.left(823)},
                                                    {"/proc/self/mem", {}}};
    for (const auto& [name, bytes] : cases) {
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

TEST(SettingsFileOpen, LongerFileOpensOnlyWhenConfirmed) {
    kvtest::writeFile("full.DAT", sampleFile().bytes());
    kvtest::writeFile("long.DAT", sampleFile().bytes() + QByteArray(76, '\x7F'));
    WindowWithWork work;
    openFile(work.w, work.dialogs, "full.DAT");
    EXPECT_TRUE(work.boxes.boxes.isEmpty()) << "no question for a file of 824 bytes";
    EXPECT_EQ(blockBytes(work.w.SetData), sampleFile().bytes());

    WindowWithWork refused;
    refused.boxes.answers.push_back(platform::MsgResult::No);
    openFile(refused.w, refused.dialogs, "long.DAT");
    ASSERT_EQ(refused.boxes.boxes.size(), 1);
    EXPECT_EQ(refused.boxes.boxes[0].kind, platform::MsgKind::Confirmation);
    EXPECT_EQ(refused.boxes.boxes[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(refused.boxes.boxes[0].text,
              "This file is 900 bytes long; KV417R settings files are 824 bytes.\r"
              "Open it anyway?");
    EXPECT_EQ(refused.state(), refused.before);

    WindowWithWork taken;
    openFile(taken.w, taken.dialogs, "long.DAT");
    EXPECT_EQ(taken.boxes.boxes.size(), 1);
    EXPECT_EQ(blockBytes(taken.w.SetData), sampleFile().bytes());
    EXPECT_EQ(taken.w.windowTitle(), "KV417R - long.DAT");
    EXPECT_EQ(logLines(taken.w).last(), "File Open [ long.DAT ]");
    taken.w.Save1Click();
    EXPECT_EQ(kvtest::readFile("long.DAT"), sampleFile().bytes()) << "saved as 824 bytes";
}

TEST(SettingsFileOpen, CancelMissingNameOrFolderLoadNothing) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    QDir().mkdir("folder.DAT");
    TMainForm w;
    setChannel(w, 4, "231.5", "232.5", 1, 0, 1, 0, 2);
    const QStringList before = logLines(w);
    const QByteArray block = blockBytes(w.SetData);

    w.E_RxFrq->setText("typed");
    dialogs.answers.push_back(std::nullopt);
    w.OPEN1Click();
    EXPECT_EQ(dialogs.requests.at(0).kind, platform::FileDialogKind::Open);
    EXPECT_TRUE(dialogs.requests.at(0).filter.isEmpty());
    EXPECT_EQ(w.E_RxFrq->text(), "typed") << "Cancel does not even refresh the panel";

    for (const QString& name : {QDir::current().filePath("nosuch.DAT"), QString("folder.DAT")}) {
        w.E_RxFrq->setText("typed");
        openFile(w, dialogs, name);
        EXPECT_EQ(w.E_RxFrq->text(), "231.5000") << "only the edit panel is refreshed";
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(w.FileName, "noname.dat");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
    EXPECT_EQ(logLines(w), before);
    EXPECT_EQ(blockBytes(w.SetData), block);
}

TEST(SettingsFileOpen, WriteProtectedFileOpens) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    kvtest::writeFile("locked.DAT", sampleFile().bytes());
    WriteProtected lock("locked.DAT");
    if (!lock.effective()) GTEST_SKIP() << "cannot write-protect a file here";
    TMainForm w;
    openFile(w, dialogs, "locked.DAT");
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(logLines(w).last(), "File Open [ locked.DAT ]");
    EXPECT_EQ(blockBytes(w.SetData), sampleFile().bytes());

    // Saving onto it fails visibly and leaves it alone.
    w.Save1Click();
    ASSERT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(boxes.boxes[1].kind, platform::MsgKind::Error);
    EXPECT_EQ(logLines(w).last(), "File Open [ locked.DAT ]");
    EXPECT_EQ(kvtest::readFile("locked.DAT"), sampleFile().bytes());
}

TEST(SettingsFileOpen, HostileValuesOpenSafelyAndShowSaneCells) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    BlockImage file;
    file.channel(1, 0xFF, nan, -inf, lo, hi, -2, 2, 9);
    file.channel(2, 0x7F, 1e308, -1e308, 5, -1, 2, lo, hi);
    file.channel(3, 1, inf, 4.9e-324, -1, 1, 1, 1, -1);
    for (int i = 48 * 3; i < 768; ++i) file.u8(i, 0xFF);  // channels 4 to 16: NaNs and -1
    file.channel(4, 1, 1000.0, -45.1, 0, 0, 0, 0, 0);     // longer than a typed frequency
    file.setMode({lo, hi, -2, 2, 99, -1, 3, lo, hi, 5, 12, 9, 7});
    kvtest::writeFile("hostile.DAT", file.bytes());

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    openFile(w, dialogs, "hostile.DAT");
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(blockBytes(w.SetData), file.bytes()) << "values are taken unchanged";

    // Index cells outside their lists stay empty; frequency cells show what the file holds.
    EXPECT_EQ(rowTexts(w, 1).mid(2), QStringList(5, QString()));
    EXPECT_EQ(rowTexts(w, 2).mid(2), QStringList(5, QString()));
    EXPECT_EQ(rowTexts(w, 3).mid(2), QStringList({"", "2400/1200", "ON", "1200", ""}));
    EXPECT_EQ(rowTexts(w, 16).mid(2), QStringList(5, QString()));
    EXPECT_FALSE(w.cellText(2, 1).isEmpty());

    // Radio groups: below -1 selects none, past the end the last item; boxes: none.
    const kva::TSetMode shown{-1, 1, -1, 1, 1, -1, 2, -1, 1, 1, -1, -1, -1};
    EXPECT_EQ(modeBytes(w.controlSetMode()), modeBytes(shown));

    // Every row loads into the edit panel, which shows the frequencies as whole as the grid.
    for (int r = 1; r <= 16; ++r) {
        w.SG_ChData->setCurrentCell(r - 1, 0);
        EXPECT_EQ(w.E_RxFrq->text(), w.cellText(r, 1)) << r;
        EXPECT_EQ(w.E_TxFrq->text(), w.cellText(r, 2)) << r;
    }
    w.SG_ChData->setCurrentCell(3, 0);
    EXPECT_EQ(w.E_RxFrq->text(), "1000.0000");
    EXPECT_EQ(w.E_TxFrq->text(), "-45.1000");
}

TEST(SettingsFileOpen, SleepValueFromFileBlocksTheWrite) {
    // A file that passes every other check of the write: valid set-mode, one channel.
    BlockImage file = BlockImage::defaults();
    file.channel(1, 1, 230.0, 230.0, 0, 0, 0, 0, 0);
    file.i32(816, 1);
    kvtest::writeFile("sleep.DAT", file.bytes());

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TMainForm w;
    openFile(w, dialogs, "sleep.DAT");
    ASSERT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(w.CB_SL->currentIndex(), -1);
    EXPECT_FALSE(w.CB_SL->isEnabled());

    w.TransmitPCKV1Click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, "Setting Error!! [Sleep]");
    EXPECT_EQ(logLines(w).last(), "***** Setting Error!! *****");

    w.Default1Click();
    EXPECT_EQ(w.CB_SL->currentIndex(), 0);
}

// ---------------------------------------------------------------------------------------------
// Save As and Save: questions, caption, failures

TEST(SettingsFileSave, SaveAsOntoAnExistingFile) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    kvtest::writeFile("old.DAT", "keep me");
    TMainForm w;
    const QStringList before = logLines(w);

    // No: nothing changes, so the next Save cannot overwrite the file the user kept.
    boxes.answers.push_back(platform::MsgResult::No);
    dialogs.answers.push_back(QStringLiteral("old.DAT"));
    w.SaveAs1Click();
    EXPECT_EQ(dialogs.requests.at(0).kind, platform::FileDialogKind::Save);
    EXPECT_EQ(dialogs.requests.at(0).filter, "DAT File[*.DAT]|*.DAT|All Files{*.*]|*.*");
    EXPECT_EQ(dialogs.requests.at(0).defaultExt, "DAT");
    EXPECT_EQ(boxes.texts(), QStringList({"A file exists.\rDo you replace it?"}));
    EXPECT_EQ(boxes.boxes[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(w.FileName, "noname.dat");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
    EXPECT_EQ(logLines(w), before);
    w.Save1Click();
    EXPECT_EQ(kvtest::readFile("old.DAT"), "keep me");
    EXPECT_EQ(kvtest::readFile("noname.dat"), BlockImage::defaults().bytes());

    // Yes: replaced, and now the name and the caption follow.
    kvtest::writeFile("old.DAT", QByteArray(2000, 'x'));
    dialogs.answers.push_back(QStringLiteral("old.DAT"));
    w.SaveAs1Click();
    EXPECT_EQ(boxes.texts().last(), "A file exists.\rDo you replace it?");
    EXPECT_EQ(kvtest::readFile("old.DAT"), BlockImage::defaults().bytes());
    EXPECT_EQ(w.FileName, "old.DAT");
    EXPECT_EQ(w.windowTitle(), "KV417R - old.DAT");
    EXPECT_EQ(logLines(w).last(), "File SaveAs [ old.DAT ]");
}

TEST(SettingsFileSave, SaveRightAfterStartWritesNonameInTheCurrentFolder) {
    MessageRecorder boxes;
    TMainForm w;
    boxes.answers.push_back(platform::MsgResult::No);
    w.Save1Click();
    EXPECT_FALSE(QFile::exists("noname.dat")) << "No writes nothing";

    w.Save1Click();
    EXPECT_EQ(boxes.texts(), QStringList({"\rDo you replace it?", "\rDo you replace it?"}));
    EXPECT_EQ(kvtest::readFile("noname.dat"), BlockImage::defaults().bytes());
    EXPECT_EQ(logLines(w).last(), "File Save [ noname.dat ]");
    EXPECT_EQ(w.windowTitle(), "KV417R - noname.dat");
}

TEST(SettingsFileSave, FailedSaveKeepsTheOldFile) {
    MessageRecorder boxes;
    FileDialogScript dialogs;
    const QByteArray old = sampleFile().bytes();
    kvtest::writeFile("keep.DAT", old);
    QDir().mkdir("folder.DAT");
    TMainForm w;
    openFile(w, dialogs, "keep.DAT");
    w.RG_SB->setItemIndex(2);
    const QStringList before = logLines(w);

    {
        FileSizeLimit full(100);  // the disk fills up after 100 bytes
        w.Save1Click();
        dialogs.answers.push_back(QStringLiteral("keep.DAT"));
        w.SaveAs1Click();
    }
    dialogs.answers.push_back(QStringLiteral("folder.DAT"));
    w.SaveAs1Click();

    ASSERT_EQ(boxes.boxes.size(), 5);  // question, error, question, error, error
    for (int i : {1, 3, 4}) EXPECT_EQ(boxes.boxes[i].kind, platform::MsgKind::Error) << i;
    EXPECT_TRUE(boxes.boxes[1].text.contains("keep.DAT")) << boxes.boxes[1].text.toStdString();
    EXPECT_EQ(kvtest::readFile("keep.DAT"), old);
    EXPECT_TRUE(QFileInfo("folder.DAT").isDir());
    EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({"keep.DAT"}))
        << "no temporary file left behind";
    EXPECT_EQ(logLines(w), before);
    EXPECT_EQ(w.windowTitle(), "KV417R - keep.DAT");
    EXPECT_EQ(w.FileName, "keep.DAT") << "a failed Save As keeps the old name";
}

namespace kvtest {
INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, MainWindowSave, kva::TMainForm);
}  // namespace kvtest
