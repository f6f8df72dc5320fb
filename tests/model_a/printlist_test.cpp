// The "Setting Data List" page on the recording canvas (W = 10, H = 20): every text at its
// place, the channel rows, the set-mode words for every value, the file name part.
#include <gtest/gtest.h>

#include <QDateTime>
#include <limits>

#include "model_a/printlist.h"
#include "platform/canvas.h"
#include "platform/localefmt.h"
#include "recordedpage.h"

using platform::TRecordingCanvas;

namespace {

constexpr int W = TRecordingCanvas::charWidth;
constexpr int H = TRecordingCanvas::lineHeight;

const QDateTime kWhen(QDate(2024, 3, 9), QTime(14, 5, 7));

using Page = kvtest::RecordedPage;

Page print(const kva::TSetData& data, const QString& fileName = "noname.dat",
           TRecordingCanvas* keep = nullptr) {
    TRecordingCanvas local;
    TRecordingCanvas& c = keep ? *keep : local;
    kva::printSettingList(c, data, fileName, kWhen);
    return kvtest::recordedPage(c);
}

QString at(const Page& page, int x, int y) {
    return kvtest::textAt(page, x, y);
}
QStringList row(const Page& page, int y) {
    return kvtest::pageRow(page, y);
}

QString modeValue(const kva::TSetMode& m, int y) {
    kva::TSetData d = kva::defaultSetData();
    d.Mode = m;
    return at(print(d), 18, y);
}

}  // namespace

TEST(SettingListPage, DefaultPageAfterStartup) {
    TRecordingCanvas canvas;
    const Page page = print(kva::defaultSetData(), "noname.dat", &canvas);

    EXPECT_EQ(canvas.documentsBegun, 1);
    EXPECT_EQ(canvas.documentsEnded, 1);
    for (const auto& t : canvas.texts) {
        EXPECT_EQ(t.font, "Arial");
        EXPECT_EQ(t.pointSize, 10);
        EXPECT_EQ(t.colour, QColor(Qt::black));
    }

    EXPECT_EQ(at(page, 3, 2), "KORVAN ELECTRONICS IND.CO.,LTD.");
    EXPECT_EQ(at(page, 60, 2),
              platform::shortDate(kWhen.date()) + "  " + platform::longTime(kWhen.time()));
    EXPECT_EQ(at(page, 25, 5), "KV417R Setting Data List     [ noname.dat ]");
    ASSERT_EQ(canvas.lines.size(), 2u);
    for (const auto& [line, y] : {std::pair{canvas.lines[0], 4}, std::pair{canvas.lines[1], 7}}) {
        EXPECT_EQ(line.x1, 1 * W);
        EXPECT_EQ(line.x2, 80 * W);
        EXPECT_EQ(line.y1, y * H);
        EXPECT_EQ(line.y2, y * H);
        EXPECT_EQ(line.colour, QColor(Qt::black));
    }

    EXPECT_EQ(row(page, 10),
              QStringList({"3=CH", "7=RX Frq.[MHz]", "21=TX Frq.[MHz]", "35=TX Power",
                           "45=Baud-Rate", "56=D/A", "61=MODEM BR", "72=SQL"}));
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(row(page, 11 + n), QStringList{"3=" + QString::asprintf("%2d", n)});

    const std::pair<const char*, const char*> lines[] = {
        {"Data/Audio Signal", "H:Data   L:Audio"},
        {"Busy Signal", "L:Busy"},
        {"FSQC(FSK SQC)", "OFF"},
        {"EXT SQC", "L:Open"},
        {"VCO", "Tx off"},
        {nullptr, nullptr},
        {"Serail Bau-Rate", "9600 bps  "},
        {"Serial Parity", "EVEN      "},
        {"Serial Data Length", "8 bit"},
        {"Serial Stop bit", "1 bit"},
        {"Remote", "DISABLE"},
        {nullptr, nullptr},
        {"TOT(Time Out Timer)", "OFF       "},
        {"SAVE Time", "OFF      "},
        {"Sleep", "OFF      "},
    };
    for (int i = 0; i < 15; ++i) {
        const int y = 31 + i;
        if (!lines[i].first) {
            EXPECT_TRUE(row(page, y).isEmpty()) << y;
            continue;
        }
        EXPECT_EQ(row(page, y), QStringList({QString("3=") + lines[i].first,
                                             "17=:", QString("18=") + lines[i].second}))
            << y;
    }
    // Nothing anywhere else.
    EXPECT_EQ(page.size(), 3u + 8u + 16u + 13u * 3u);
}

TEST(SettingListPage, UsedChannelPrintsEveryColumn) {
    kva::TSetData d = kva::defaultSetData();
    d.Ch[2] = {1, 229.5125, 223.0, 4, 1, 1, 1, 8};
    d.Ch[15] = {1, 235.0, 234.9875, 0, 0, 0, 0, 0};
    const Page page = print(d);
    EXPECT_EQ(row(page, 14), QStringList({"3= 3", "8=229.5125", "22=223.0000", "37=L5",
                                          "45=2400/1200bps", "56=ON", "62=1200bps", "72=L9"}));
    EXPECT_EQ(row(page, 27), QStringList({"3=16", "8=235.0000", "22=234.9875", "37=L1",
                                          "45=4800bps", "56=OFF", "62=2400bps", "72=L1"}));
}

TEST(SettingListPage, ChannelNotUsedPrintsOnlyItsNumber) {
    kva::TSetData d = kva::defaultSetData();
    // Set and then cleared: the empty channel.
    d.Ch[4] = {1, 230.0, 230.0, 1, 1, 1, 1, 1};
    d.Ch[4] = kva::emptyChannel();
    // Frequencies and indexes present, but Used not exactly 1 (a file may hold anything).
    d.Ch[5] = {0, 230.0, 231.0, 1, 1, 1, 1, 1};
    d.Ch[6] = {2, 230.0, 231.0, 1, 1, 1, 1, 1};
    const Page page = print(d);
    EXPECT_EQ(row(page, 16), QStringList{"3= 5"});
    EXPECT_EQ(row(page, 17), QStringList{"3= 6"});
    EXPECT_EQ(row(page, 18), QStringList{"3= 7"});
}

TEST(SettingListPage, IndexesOutsideTheirListsPrintNothing) {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    kva::TSetData d = kva::defaultSetData();
    d.Ch[0] = {1, 230.0, 230.0, 5, 2, -1, lo, 9};
    d.Ch[1] = {1, 230.0, 230.0, -1, -1, 2, 2, -1};
    const Page page = print(d);
    EXPECT_EQ(row(page, 12), QStringList({"3= 1", "8=230.0000", "22=230.0000"}));
    EXPECT_EQ(row(page, 13), QStringList({"3= 2", "8=230.0000", "22=230.0000"}));
}

TEST(SettingListPage, SetModeWordsForOtherValuesAndFallBacks) {
    using M = kva::TSetMode;
    struct Case {
        int32_t M::*field;
        int32_t value;
        int y;
        const char* text;
    };
    // Two-valued fields print their second text for anything but 0 (-1 included); the
    // others fall back to their first text.
    const Case cases[] = {
        {&M::Data, -1, 31, "L:Data   H:Audio"},
        {&M::Busy, 1, 32, "H:Busy"},
        {&M::FSQC, 7, 33, "ON"},
        {&M::EXT, -1, 34, "H:Open"},
        {&M::VCO, 1, 35, "Tx on "},
        {&M::SD, 0, 39, "7 bit"},
        {&M::ST, -1, 40, "2 bit"},
        {&M::RMT, 1, 41, "ENABLE"},
        {&M::SB, 1, 37, "2400 bps  "},
        {&M::SB, 4, 37, "1200 bps  "},
        {&M::SB, -1, 37, "1200 bps  "},
        {&M::SP, 1, 38, "ODD       "},
        {&M::SP, 3, 38, "NONE      "},
        {&M::Tot, 10, 43, "900  [sec]"},
        {&M::Tot, 11, 43, "1200 [sec]"},
        {&M::Tot, 12, 43, "OFF       "},
        {&M::Tot, -1, 43, "OFF       "},
        {&M::Save, 1, 44, "0.5 [sec]"},
        {&M::Save, 8, 44, "9.0 [sec]"},
        {&M::Save, 9, 44, "OFF      "},
        {&M::SL, 5, 45, "OFF      "},
    };
    for (const Case& c : cases) {
        kva::TSetMode m = kva::defaultSetMode();
        m.*c.field = c.value;
        EXPECT_EQ(modeValue(m, c.y), c.text) << "y " << c.y << " value " << c.value;
    }
}

TEST(SettingListPage, TitleShowsOnlyTheFileNamePart) {
    // Every way of cutting the path is the shared page's (tests/ui); two are enough here.
    const char* paths[][2] = {
        {"/home/user/settings/site A.DAT", "site A.DAT"},
        {"C:\\KV\\data\\SET1.DAT", "SET1.DAT"},
    };
    for (const auto& p : paths) {
        EXPECT_EQ(at(print(kva::defaultSetData(), p[0]), 25, 5),
                  QString("KV417R Setting Data List     [ ") + p[1] + " ]");
    }
}

TEST(SettingListPage, FrequenciesFollowTheLocaleSeparatorAndOddValuesAreSafe) {
    kva::TSetData d = kva::defaultSetData();
    d.Ch[0] = {1, 229.5125, 1e308, 0, 0, 0, 0, 0};
    d.Ch[1] = {1,
               std::numeric_limits<double>::quiet_NaN(),
               -std::numeric_limits<double>::infinity(),
               0,
               0,
               0,
               0,
               0};
    platform::setDecimalSeparatorForTesting(QChar(','));
    const Page page = print(d);
    platform::setDecimalSeparatorForTesting(QChar());
    EXPECT_EQ(at(page, 8, 12), "229,5125");
    EXPECT_TRUE(at(page, 22, 12).startsWith("1000000000")) << "huge values print in full";
    EXPECT_TRUE(at(page, 8, 13).contains("nan"));
    EXPECT_TRUE(at(page, 22, 13).contains("inf"));
}
