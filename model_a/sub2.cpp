#include "model_a/sub2.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kva {

namespace {

constexpr uint8_t kCurrentChannelWord = addr::CurrentChannel / 2;
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
    for (int ch = 1; ch <= kChannels; ++ch) channels << QString::number(ch);
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
    runOperation([this] {
        platform::PortSession port(*comm_);
        Link link(*comm_);
        uint8_t high = 0;
        uint8_t channel = 0;
        if (!exchangeOk(link.readWord(kCurrentChannelWord, high, channel), port)) return;
        if (channel >= kChannels) {
            platform::errorBox(QStringLiteral("CH Data NG!!"), this);
            return;
        }
        CB_CH->setCurrentIndex(channel);

        // The squelch code is the low byte of the channel record's second word.
        uint8_t sql = 0;
        if (!exchangeOk(link.readWord(static_cast<uint8_t>(4 * channel + 1), high, sql), port))
            return;
        port.close();
        CB_SQL->setCurrentIndex(sql > kMaxSqlCode ? 0 : sql);
        platform::infoBox(QStringLiteral("CH Read OK!!"), this);
    });
}

void TSubForm2::Button3Click() {
    runOperation([this] {
        // A typed text that is no item leaves nothing valid to send.
        const int channel = selectedItem(CB_CH);
        if (channel < 0) {
            platform::errorBox(QStringLiteral("Select CH!!"), this);
            return;
        }
        const int sql = selectedItem(CB_SQL);
        if (sql < 0) {
            platform::errorBox(QStringLiteral("Select SQL!!"), this);
            return;
        }

        platform::PortSession port(*comm_);
        Link link(*comm_);
        if (!exchangeOk(link.exchange(cmd::SetChannel, static_cast<uint8_t>(channel),
                                      static_cast<uint8_t>(sql), 0),
                        port))
            return;
        port.close();
        platform::infoBox(QStringLiteral("CH Write OK!!"), this);
    });
}

}  // namespace kva
