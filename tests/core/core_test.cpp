// The shared pieces without widgets: exchange texts, the one-command runner, the marker
// files of a model descriptor.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QObject>
#include <QStringList>
#include <stdexcept>

#include "core/commandrunner.h"
#include "core/hexinput.h"
#include "core/model.h"
#include "core/transfer.h"
#include "testdir.h"

using kvcore::CommandRunner;
using kvcore::LinkResult;

TEST(TransferTexts, MessagesLogLinesAndProgress) {
    EXPECT_EQ(kvcore::commErrorMessage(LinkResult::CommError1), "Communication Error[1]!!");
    EXPECT_EQ(kvcore::commErrorMessage(LinkResult::CommError2), "Communication Error[2]!!");
    EXPECT_EQ(kvcore::commErrorLogLine(LinkResult::CommError1),
              "***** Communication Error[1]!! *****");
    EXPECT_EQ(kvcore::commErrorLogLine(LinkResult::CommError2),
              "***** Communication Error[2]!! *****");
    EXPECT_EQ(kvcore::progressLine(10, "Receive"), "   10 % Finished [Receive]");
    EXPECT_EQ(kvcore::progressLine(100, "Receive"), "  100 % Finished [Receive]");
    EXPECT_EQ(kvcore::progressLine(70, "Write"), "   70 % Finished [Write]");
}

// Two windows on one port, as the main window and a service window share CommX1.
TEST(CommandRunner, OneCommandPerPortAndTheCloseWaitsForIt) {
    QObject port;
    QStringList shown;
    CommandRunner main(&port, [&](const QString& t) { shown << "main:" + t; });
    CommandRunner service(&port, [&](const QString& t) { shown << "service:" + t; });
    int closes = 0;
    bool nestedRan = false;

    EXPECT_FALSE(main.deferClose([&] { ++closes; })) << "nothing runs: close at once";
    main.run([&] {
        EXPECT_TRUE(main.busy());
        EXPECT_TRUE(service.busy());
        main.run([&] { nestedRan = true; });
        service.run([&] { nestedRan = true; });
        EXPECT_TRUE(main.deferClose([&] { ++closes; }));
        EXPECT_TRUE(service.deferClose([&] { ++closes; })) << "the port is busy for it too";
        EXPECT_EQ(closes, 0);
    });
    EXPECT_FALSE(nestedRan);
    EXPECT_EQ(closes, 1) << "only the runner whose command ran closes its window";
    EXPECT_FALSE(main.busy());
    EXPECT_EQ(shown, QStringList({"main:A port has already been opened.",
                                  "service:A port has already been opened."}));
}

TEST(CommandRunner, AnEscapingErrorIsShownAndFreesThePort) {
    QObject port;
    QStringList shown;
    CommandRunner runner(&port, [&](const QString& t) { shown << t; });
    runner.run([] { throw std::runtime_error("File not found: x.DAT"); });
    EXPECT_EQ(shown, QStringList{"File not found: x.DAT"});
    EXPECT_FALSE(runner.busy());
    bool ran = false;
    runner.run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

// Windows lock their controls from this news: a command that ran is told twice however it
// ends, a refused one not at all.
TEST(CommandRunner, TellsWhenItsCommandsStartAndEnd) {
    QObject port;
    CommandRunner main(&port, [](const QString&) {});
    CommandRunner service(&port, [](const QString&) {});
    QStringList told;
    main.setBusyChanged([&](bool busy) { told << (busy ? "main busy" : "main free"); });
    service.setBusyChanged([&](bool busy) { told << (busy ? "service busy" : "service free"); });
    main.run([&] {
        told << "ran";
        service.run([] {});
        main.run([] {});
    });
    main.run([] { throw std::runtime_error("Communication Error[1]!!"); });
    EXPECT_EQ(told, QStringList({"main busy", "ran", "main free", "main busy", "main free"}));
}

TEST(ModelDescriptor, MarkerFilesInAnySpellingTheModelAccepts) {
    kvcore::ModelDescriptor model;
    // A name stored in Shift-JIS (not UTF-8) beside its UTF-8 spelling.
    const QByteArray shiftJis("\x90\xB6\x8E\x59.FMT");
    model.markerFiles = {QByteArray("\xE7\x94\x9F\xE7\x94\xA3.FMT"), shiftJis};
    EXPECT_FALSE(kvcore::productionMarkerPresent(model));

    const auto touch = [](const QByteArray& name) {
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    };
    // The second byte of a two-byte character is no letter, though 0x59 looks like 'Y'.
    touch(QByteArray("\x90\xB6\x8E\x79.FMT"));
    EXPECT_FALSE(kvcore::productionMarkerPresent(model));
    touch(QByteArray("\x90\xB6\x8E\x59.fmt"));
    EXPECT_TRUE(kvcore::productionMarkerPresent(model))
        << "files copied from Windows keep odd case";
    ASSERT_EQ(::unlink("\x90\xB6\x8E\x59.fmt"), 0);

    kvtest::writeFile(QString::fromUtf8("\xE7\x94\x9F\xE7\x94\xA3.FMT"), "");
    EXPECT_TRUE(kvcore::productionMarkerPresent(model));
}

TEST(HexInput, ValuesMustFitTheirBox) {
    const struct {
        const char* text;
        int bytes;
        std::optional<uint32_t> value;
    } cases[] = {{"FF", 1, 0xFF},
                 {"000000FF", 1, 0xFF},
                 {"1FF", 1, std::nullopt},
                 {"100", 1, std::nullopt},
                 {"ffff", 2, 0xFFFF},
                 {"0000FFFF", 2, 0xFFFF},
                 {"12345", 2, std::nullopt},
                 {"10000", 2, std::nullopt},
                 {"C0G0", 2, std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(kvcore::parseHexField(c.text, c.bytes), c.value) << c.text << " in " << c.bytes;
}
