// The CH SET window against the emulated KV417R: reading the modem's channel and its SQL
// level, setting both, and what happens without a selection or a modem.
#include <QPushButton>
#include <QTimer>

#include "model_a/sub2.h"
#include "modemfixture.h"
#include "testdir.h"

namespace kvtest {
namespace {

using kva::TSubForm2;
using kvsim::Kv417r;

constexpr int kChannelByte = 0xC1;

class ChSetWindow : public ModemWindowTest {
  protected:
    void SetUp() override {
        ModemWindowTest::SetUp();
        form = std::make_unique<TSubForm2>(nullptr, &comm);
        form->show();
    }
    void TearDown() override {
        form.reset();
        ModemWindowTest::TearDown();
    }
    // A modem on channel byte `channel` whose record `sqlRecord` has squelch code `sql`; the
    // high bytes of both words hold junk that must not matter.
    void setModem(uint8_t channel, int sqlRecord, uint8_t sql) {
        Kv417r::Memory m = Kv417r::demoMemory();
        m[kChannelByte - 1] = 0xA7;
        m[kChannelByte] = channel;
        m[static_cast<size_t>(8 * sqlRecord + 2)] = 0x9C;
        m[static_cast<size_t>(8 * sqlRecord + 3)] = sql;
        setMemory(m);
    }
    void select(const QString& channel, const QString& sql) {
        form->CB_CH->setCurrentIndex(form->CB_CH->findText(channel));
        form->CB_SQL->setCurrentIndex(form->CB_SQL->findText(sql));
    }
    std::unique_ptr<TSubForm2> form;
};

TEST_F(ChSetWindow, OpensWithFirstItemsSelected) {
    EXPECT_EQ(form->windowTitle(), "CH SET");
    EXPECT_EQ(form->size(), QSize(210, 155));
    ASSERT_EQ(form->CB_CH->count(), 16);
    EXPECT_EQ(form->CB_CH->itemText(15), "16");
    ASSERT_EQ(form->CB_SQL->count(), 10);
    EXPECT_EQ(form->CB_SQL->itemText(9), "L9");
    EXPECT_EQ(form->CB_CH->currentText(), "1");
    EXPECT_EQ(form->CB_SQL->currentText(), "-----");
    EXPECT_EQ(form->Button2->text(), "CH Read");
    EXPECT_EQ(form->Button3->text(), "CH Write");
    EXPECT_EQ(form->Button1->text(), "End");
    EXPECT_TRUE(form->grab().save(artefactPath("chset.png")));
}

TEST_F(ChSetWindow, ChReadSelectsTheModemsChannelAndLevel) {
    struct Case {
        uint8_t channel;
        uint8_t sql;
        const char* chText;
        const char* sqlText;
        const char* secondFrame;
    };
    const Case cases[] = {
        {0x00, 9, "1", "L9", "CC 03 01 00 00 00 00 04"},
        {0x0F, 10, "16", "-----", "CC 03 3D 00 00 00 00 40"},
        {0x07, 0, "8", "-----", "CC 03 1D 00 00 00 00 20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chText);
        setModem(c.channel, c.channel, c.sql);
        select("5", "L3");
        messages.boxes.clear();
        click(form->Button2);
        EXPECT_EQ(form->CB_CH->currentText(), c.chText);
        EXPECT_EQ(form->CB_SQL->currentText(), c.sqlText);
        EXPECT_EQ(frames(), (std::vector<std::string>{"CC 03 60 00 00 00 00 63", c.secondFrame}));
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:CH Read OK!!"});
    }
}

TEST_F(ChSetWindow, ChReadOfAChannelBeyond16IsNg) {
    setModem(0x10, 0, 1);
    select("5", "L3");
    click(form->Button2);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:CH Data NG!!"});
    EXPECT_EQ(frames(), std::vector<std::string>{"CC 03 60 00 00 00 00 63"});
    EXPECT_EQ(form->CB_CH->currentText(), "5");
    EXPECT_EQ(form->CB_SQL->currentText(), "L3");
}

TEST_F(ChSetWindow, SilenceInTheSecondReadKeepsTheChannelAlreadyShown) {
    setModem(0x02, 2, 7);
    select("5", "L3");
    kvsim::Kv417rFaults f;
    f.silenceAfterBytes = 5;  // acknowledge and data of the first read only
    setFaults(f);
    click(form->Button2);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"error:Communication Error[1]!!"});
    EXPECT_EQ(frames().size(), 2u);
    EXPECT_EQ(form->CB_CH->currentText(), "3");
    EXPECT_EQ(form->CB_SQL->currentText(), "L3");
}

TEST_F(ChSetWindow, ChWriteSendsTheSelectedPositions) {
    select("3", "L5");
    click(form->Button3);
    select("16", "L9");
    click(form->Button3);
    select("1", "-----");
    click(form->Button3);
    EXPECT_EQ(frames(),
              (std::vector<std::string>{"CC 07 02 05 00 00 00 0E", "CC 07 0F 09 00 00 00 1F",
                                        "CC 07 00 00 00 00 00 07"}));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"info:CH Write OK!!", "info:CH Write OK!!",
                                                    "info:CH Write OK!!"}));
}

TEST_F(ChSetWindow, ChWriteWithoutASelectionSendsNothing) {
    typeInto(form->CB_CH, "17");
    click(form->Button3);
    select("2", "L1");
    typeInto(form->CB_SQL, "L10");
    click(form->Button3);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"error:Select CH!!", "error:Select SQL!!"}));
    EXPECT_TRUE(frames().empty());

    // A typed text that is an item counts as that item.
    typeInto(form->CB_SQL, "L4");
    click(form->Button3);
    EXPECT_EQ(frames(), std::vector<std::string>{"CC 07 01 04 00 00 00 0C"});
}

TEST_F(ChSetWindow, CloseDuringChReadWaitsForIt) {
    setModem(0x04, 4, 6);
    kvsim::Kv417rFaults f;
    f.replyDelayMs = 150;
    setFaults(f);
    bool fired = false;
    bool visibleAfterClose = false;
    QTimer::singleShot(80, form.get(), [&] {
        fired = true;
        form->close();
        visibleAfterClose = form->isVisible();
    });
    click(form->Button2);
    ASSERT_TRUE(fired) << "the read ended before the timer";
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->CB_CH->currentText(), "5");
    EXPECT_EQ(form->CB_SQL->currentText(), "L6");
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"info:CH Read OK!!"});
}

}  // namespace
}  // namespace kvtest
