#pragma once
// Save and Save As of a main window whose last step fails, written once for both tools:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(KV417R, MainWindowSave, kva::TMainForm);
//
// Include this header in one source file of a test program only.
#include <gtest/gtest.h>

#include <QDir>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <functional>

#include "filedialogs.h"
#include "logtext.h"
#include "msgrecorder.h"
#include "testdir.h"

namespace kvtest {

// A file of a new name is linked in under that name; one that exists is first linked in
// under a temporary name beside it and then renamed over it. With a name of 250 letters
// the temporary one is too long, so replacing the file fails at the very last step, when
// everything has been written. Not every file system gets that far.
inline bool replacementFailsOnlyAtTheLastStep(const QString& existing) {
    QSaveFile f(existing);
    return f.open(QIODevice::WriteOnly) && f.write("x", 1) == 1 && !f.commit();
}

template <class Window>
class MainWindowSave : public testing::Test {};

TYPED_TEST_SUITE_P(MainWindowSave);

// Save and Save As onto a file that cannot be replaced: an error box, the old file byte for
// byte, no temporary file left, and the name, the caption and the log as they were.
TYPED_TEST_P(MainWindowSave, FailedReplacementIsAnErrorAndKeepsEverything) {
    const QString ours = QString(250, 'o') + ".DAT";
    const QString theirs = QString(250, 't') + ".DAT";
    writeFile(theirs, "theirs");
    if (!replacementFailsOnlyAtTheLastStep(theirs))
        GTEST_SKIP() << "this file system refuses the long name before the last step";

    MessageRecorder boxes;
    FileDialogScript dialogs;
    TypeParam w;
    dialogs.answers.push_back(ours);
    w.SaveAs1Click();  // a new name: nothing to replace
    ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    ASSERT_EQ(w.FileName, ours);
    writeFile(ours, "ours");
    const QString caption = w.windowTitle();
    const QStringList log = logLines(*w.LB_Result);

    const struct {
        const char* what;
        std::function<void()> command;
        QString target;
    } cases[] = {
        {"Save", [&] { w.Save1Click(); }, ours},
        {"Save As",
         [&] {
             dialogs.answers.push_back(theirs);
             w.SaveAs1Click();
         },
         theirs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.boxes.clear();
        c.command();
        // The question, then the error naming the file.
        const bool error = boxes.boxes.size() == 2 &&
                           boxes.boxes[1].kind == platform::MsgKind::Error &&
                           boxes.boxes[1].text.contains(c.target);
        EXPECT_TRUE(error) << boxes.texts().join('|').toStdString();
        EXPECT_EQ(readFile(ours), "ours");
        EXPECT_EQ(readFile(theirs), "theirs");
        EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({ours, theirs}));
        EXPECT_EQ(w.FileName, ours);
        EXPECT_EQ(w.windowTitle(), caption);
        EXPECT_EQ(logLines(*w.LB_Result), log);
    }
}

REGISTER_TYPED_TEST_SUITE_P(MainWindowSave, FailedReplacementIsAnErrorAndKeepsEverything);

}  // namespace kvtest
