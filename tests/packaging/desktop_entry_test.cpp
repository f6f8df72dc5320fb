// The menu entries: each starts a program this build makes, under the names the running
// window reports, with an icon that is shipped beside it.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include "model_a/descriptor.h"
#include "model_b/descriptor.h"

namespace {

// The [Desktop Entry] group's keys (no localised variants are used by these files).
QMap<QString, QString> readEntry(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QMap<QString, QString> keys;
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
        if (line.startsWith('[')) inEntry = line == "[Desktop Entry]";
        const qsizetype eq = line.indexOf('=');
        if (inEntry && !line.startsWith('#') && eq > 0)
            keys[line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    return keys;
}

// An Exec value split into arguments as the desktop-entry rules say: the string escapes
// first, then double-quoted arguments, in which \" \` \$ and \\ stand for the character.
QStringList execArguments(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            text += c;
            continue;
        }
        // \s \n \t \r \\ are the string escapes; any other backslash is left for the quoting.
        const QChar e = value[++i];
        static const QMap<QChar, QChar> escapes{
            {'s', ' '}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'\\', '\\'}};
        if (escapes.contains(e))
            text += escapes[e];
        else
            text += QString('\\') + e;
    }
    QStringList args;
    QString arg;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            arg += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && c == ' ') {
            if (any) args << arg;
            arg.clear();
            any = false;
        } else {
            arg += c;
            any = true;
        }
    }
    if (any) args << arg;
    return args;
}

// The program an Exec line starts: its first word, or for `sh -c "... exec PROGRAM"` the
// word after the last exec of the script.
QString startedProgram(const QStringList& args) {
    if (args.size() == 3 && args[0] == "sh" && args[1] == "-c") {
        const QStringList words = args[2].split(' ', Qt::SkipEmptyParts);
        const qsizetype exec = words.lastIndexOf("exec");
        return exec >= 0 && exec + 1 < words.size() ? words[exec + 1] : QString();
    }
    return args.value(0);
}

TEST(DesktopEntries, StartProgramsOfThisBuildUnderTheirWindowNames) {
    const QStringList programs = QStringLiteral(KV_PROGRAMS).split(':');
    const QStringList entries = QStringLiteral(KV_DESKTOP_ENTRIES).split(':');
    const kvcore::ModelDescriptor* tools[] = {&kva::descriptor(), &kvb::descriptor()};
    ASSERT_EQ(entries.size(), 2);
    for (const QString& path : entries) {
        SCOPED_TRACE(path.toStdString());
        const QMap<QString, QString> keys = readEntry(path);
        const QString program = startedProgram(execArguments(keys.value("Exec")));
        EXPECT_TRUE(programs.contains(program)) << program.toStdString();
        EXPECT_TRUE(QFileInfo(QStringLiteral(KV_BUILD_DIR "/") + program).isExecutable());
        EXPECT_EQ(keys.value("TryExec"), program);

        const QFileInfo file(path);
        const kvcore::ModelDescriptor* tool = nullptr;
        for (const kvcore::ModelDescriptor* t : tools)
            if (t->desktopEntry == file.completeBaseName()) tool = t;
        ASSERT_NE(tool, nullptr) << "no tool sets this desktop file name";
        EXPECT_EQ(program, tool->program);
        // X11 reports the application name as the window class; a mismatch leaves the
        // running window without the entry's icon.
        EXPECT_EQ(keys.value("StartupWMClass"), tool->program);
        EXPECT_TRUE(QFile::exists(file.path() + '/' + keys.value("Icon") + ".svg"));
    }
}

}  // namespace
