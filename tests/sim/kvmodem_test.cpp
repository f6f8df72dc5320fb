// The kvmodem program as run.sh starts it: device path on stdout, link, memory files, signals.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "rawport.h"

using Bytes = std::vector<uint8_t>;

namespace {
const QString kProgram = QStringLiteral(KV_BUILD_DIR "/kvmodem");

// Starts kvmodem and returns the device path it prints, or an empty string.
QString start(QProcess& p, const QStringList& args) {
    p.start(kProgram, args);
    if (!p.waitForStarted(10000) || !p.waitForReadyRead(10000)) return {};
    return QString::fromUtf8(p.readLine()).trimmed();
}
}  // namespace

TEST(KvModemProgram, ServesOnItsLinkAndSavesTheMemoryAtSigterm) {
    QProcess p;
    const QString device = start(p, {"--link", "COM1", "--blank", "--save", "out.bin"});
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    EXPECT_EQ(QFileInfo("COM1").symLinkTarget(), device);
    {
        kvtest::RawPort port("COM1");
        port.write({0xCC, 0x01, 0x7F, 0xE3, 0x5A, 0x00, 0x01, 0xBD});
        EXPECT_EQ(port.read(3), (Bytes{0x33, 0x06, 0x00}));
    }
    p.terminate();  // SIGTERM
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QFileInfo("COM1").isSymLink()) << "link left behind";

    QByteArray expected(256, '\xFF');
    expected[0xFE] = '\xE3';
    expected[0xFF] = '\x5A';
    QFile saved("out.bin");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), expected);
}

TEST(KvModemProgram, StartsFromALoadedImage) {
    QByteArray image(256, '\0');
    for (int i = 0; i < 256; ++i) image[i] = static_cast<char>(255 - i);
    {
        QFile f("in.bin");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(image);
    }
    QProcess p;
    const QString device = start(p, {"--model", "KV417R", "--load", "in.bin"});
    ASSERT_FALSE(device.isEmpty());
    {
        kvtest::RawPort port(device.toStdString());
        port.write({0xCC, 0x03, 0x70, 0x00, 0x00, 0x00, 0x00, 0x73});
        EXPECT_EQ(port.read(5), (Bytes{0x33, 0x06, 0x00, 0x1F, 0x1E}));
    }
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(10000));
}

TEST(KvModemProgram, ServesTheGoldenImagesOfTheTests) {
    QProcess p;
    const QString device =
        start(p, {"--model", "KV417R", "--load", KV_TEST_DATA_DIR "/kv417r_receive.bin"});
    ASSERT_FALSE(device.isEmpty());
    {
        kvtest::RawPort port(device.toStdString());
        port.write({0xCC, 0x03, 0x08, 0x00, 0x00, 0x00, 0x00, 0x0B});  // word 8: channel 3
        EXPECT_EQ(port.read(5), (Bytes{0x33, 0x06, 0x00, 0x22, 0x95}));
    }
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(10000));
}

TEST(KvModemProgram, ServesTheKv93xGoldenImageUnderEachOfItsNames) {
    QFile file(KV_TEST_DATA_DIR "/kv93x_receive.bin");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray golden = file.readAll();
    Bytes expected{0x06};
    expected.insert(expected.end(), golden.begin(), golden.end());
    for (const char* model : {"KV938R", "KV935R", "KV931R"}) {
        SCOPED_TRACE(model);
        QProcess p;
        const QString device =
            start(p, {"--model", model, "--load", KV_TEST_DATA_DIR "/kv93x_receive.bin"});
        ASSERT_FALSE(device.isEmpty());
        {
            kvtest::RawPort port(device.toStdString());
            port.write({0x0E, 0x02, 0x00, 0x00, 0xAB, 0x7F, 0x00, 0xBA, 0x00, 0x00, 0x00, 0xFF,
                        0xFF, 0xFF, 0xF1});
            EXPECT_EQ(port.read(257), expected);
        }
        p.terminate();
        EXPECT_TRUE(p.waitForFinished(10000));
    }
}

TEST(KvModemProgram, ServesSeveralIndependentModemsOnePtyEach) {
    QProcess p;
    const QString first = start(p, {"--count", "2", "--link", "COM", "--blank"});
    ASSERT_TRUE(first.startsWith("/dev/")) << first.toStdString();
    ASSERT_TRUE(p.canReadLine() || p.waitForReadyRead(10000));
    const QString second = QString::fromUtf8(p.readLine()).trimmed();
    EXPECT_EQ(QFileInfo("COM1").symLinkTarget(), first);
    EXPECT_EQ(QFileInfo("COM2").symLinkTarget(), second);
    {
        // Word 0x7F written on the first modem only.
        kvtest::RawPort one("COM1"), two("COM2");
        one.write({0xCC, 0x01, 0x7F, 0x12, 0x34, 0x00, 0x00, 0xC6});
        EXPECT_EQ(one.read(3), (Bytes{0x33, 0x06, 0x00}));
        for (kvtest::RawPort* port : {&one, &two}) {
            port->write({0xCC, 0x03, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x82});
            EXPECT_EQ(port->read(5), port == &one ? (Bytes{0x33, 0x06, 0x00, 0x12, 0x34})
                                                  : (Bytes{0x33, 0x06, 0x00, 0xFF, 0xFF}));
        }
    }
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_FALSE(QFileInfo("COM2").isSymLink()) << "link left behind";
}

TEST(KvModemProgram, RefusesBadArgumentsAndImages) {
    QFile("short.bin").open(QIODevice::WriteOnly);
    for (const QStringList& args :
         {QStringList{"--frobnicate"}, QStringList{"--link"}, QStringList{"--model", "KV999"},
          QStringList{"--load", "short.bin"}, QStringList{"--load", "missing.bin"},
          QStringList{"--count", "0"}, QStringList{"--count", "2x"},
          QStringList{"--count", "2", "--save", "out.bin"}}) {
        QProcess p;
        p.start(kProgram, args);
        ASSERT_TRUE(p.waitForFinished(10000)) << args.join(' ').toStdString();
        EXPECT_NE(p.exitCode(), 0) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}
