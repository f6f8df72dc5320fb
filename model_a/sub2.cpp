#include "model_a/sub2.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/portsession.h"
#include "model_a/memmap.h"
#include "model_a/programmer.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kva {

using kvcore::PortSession;
using kvui::selectedItem;

namespace {
constexpr int kMaxSqlCode = 9;
}  // namespace

TSubForm2::TSubForm2(QWidget* owner, TCustomCommX* comm) : TServiceForm(owner, comm) {
    setObjectName(QStringLiteral("SubForm2"));
    setWindowTitle(QStringLiteral("CH SET"));
    buildWindow();
    setFixedSize(210, 155);
    FormCreate();
}

void TSubForm2::buildWindow() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(3);

    Button2 = makeButton(this, QStringLiteral("Button2"), QStringLiteral("CH Read"));
    Button3 = makeButton(this, QStringLiteral("Button3"), QStringLiteral("CH Write"));
    Button1 = makeButton(this, QStringLiteral("Button1"), QStringLiteral("End"));
    grid->addWidget(Button2, 0, 0, 2, 1);
    grid->addWidget(Button3, 2, 0, 2, 1);
    grid->addWidget(Button1, 4, 0);

    QStringList channels;
    for (int ch = 1; ch <= kvcore::kChannels; ++ch) channels << QString::number(ch);
    CB_CH = makeList(this, QStringLiteral("CB_CH"), channels);
    QStringList levels{QStringLiteral("-----")};
    for (int level = 1; level <= kMaxSqlCode; ++level) levels << QStringLiteral("L%1").arg(level);
    CB_SQL = makeList(this, QStringLiteral("CB_SQL"), levels);

    auto* chLabel = new QLabel(QStringLiteral("CH No."), this);
    chLabel->setObjectName(QStringLiteral("Label1"));
    chLabel->setBuddy(CB_CH);
    auto* sqlLabel = new QLabel(QStringLiteral("SQL."), this);
    sqlLabel->setObjectName(QStringLiteral("Label2"));
    sqlLabel->setBuddy(CB_SQL);
    grid->addWidget(chLabel, 0, 1);
    grid->addWidget(CB_CH, 1, 1);
    grid->addWidget(sqlLabel, 2, 1);
    grid->addWidget(CB_SQL, 3, 1);
    grid->setRowStretch(5, 1);

    connect(Button1, &QPushButton::clicked, this, &TSubForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSubForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSubForm2::Button3Click);
}

void TSubForm2::FormCreate() {
    CB_CH->setCurrentIndex(0);
    CB_SQL->setCurrentIndex(0);
}

void TSubForm2::Button1Click() {
    close();
}

void TSubForm2::Button2Click() {
    runOperation(QStringLiteral("CH Read"), [this] {
        PortSession port(*comm_);
        Programmer modem(*comm_);
        uint8_t word[2] = {};  // the channel is the second byte
        if (!exchangeOk(modem.readWords(kCurrentChannelWord, 1, word), port)) return;
        const uint8_t channel = word[1];
        if (channel >= kvcore::kChannels) {
            failureBox(QStringLiteral("CH Data NG!!"));
            return;
        }
        CB_CH->setCurrentIndex(channel);

        if (!exchangeOk(modem.readWords(squelchWord(channel), 1, word), port)) return;
        port.close();
        const uint8_t sql = word[1];
        CB_SQL->setCurrentIndex(sql > kMaxSqlCode ? 0 : sql);
        successBox(QStringLiteral("CH Read OK!!"));
    });
}

void TSubForm2::Button3Click() {
    runOperation(QStringLiteral("CH Write"), [this] {
        // A typed text that is no item leaves nothing valid to send.
        const int channel = selectedItem(CB_CH);
        if (channel < 0) {
            failureBox(QStringLiteral("Select CH!!"));
            return;
        }
        const int sql = selectedItem(CB_SQL);
        if (sql < 0) {
            failureBox(QStringLiteral("Select SQL!!"));
            return;
        }

        PortSession port(*comm_);
        Programmer modem(*comm_);
        if (!exchangeOk(modem.setChannel(static_cast<uint8_t>(channel), static_cast<uint8_t>(sql)),
                        port))
            return;
        port.close();
        successBox(QStringLiteral("CH Write OK!!"));
    });
}

}  // namespace kva
