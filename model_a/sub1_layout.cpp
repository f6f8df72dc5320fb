// TSubForm1, the KV417R factory window: where its boxes and buttons stand.
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model_a/sub1.h"

namespace kva {
namespace {

QStringList levelItems(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i) items << QStringLiteral("L%1").arg(i);
    return items;
}

}  // namespace

TSubForm1::TSubForm1(QWidget* owner, TCustomCommX* comm) : TServiceForm(owner, comm) {
    setObjectName(QStringLiteral("SubForm1"));
    setWindowTitle(QStringLiteral("FACTORY"));
    buildWindow();
    setFixedSize(440, 440);
    FormCreate();
}

void TSubForm1::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addWidget(buildUpperPart());
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Shape1);
    layout->addWidget(buildLowerPart());
    layout->addStretch(1);
}

QWidget* TSubForm1::buildUpperPart() {
    auto* part = new QWidget(this);
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int labels = 0;

    Button2 = makeButton(part, QStringLiteral("Button2"), QStringLiteral("READ"));
    Button3 = makeButton(part, QStringLiteral("Button3"), QStringLiteral("WRITE"));
    Button4 = makeButton(part, QStringLiteral("Button4"), QStringLiteral("End"));
    grid->addWidget(Button2, 1, 0);
    grid->addWidget(Button3, 3, 0);
    grid->addWidget(Button4, 5, 0);

    // "TX POWER" column: rows L1..L5.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("TX POWER")), 0, 1, 1, 2,
                    Qt::AlignCenter);
    std::array<QLineEdit**, 5> tx{&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 5; ++i) {
        *tx[i] = makeHexBox(part, QStringLiteral("Edit%1").arg(i + 1), QStringLiteral("C000"), 4,
                            QStringLiteral("TX POWER L%1").arg(i + 1));
        grid->addWidget(makeLabel(part, labels, QStringLiteral("L%1").arg(i + 1), *tx[i]), i + 1, 1,
                        Qt::AlignRight);
        grid->addWidget(*tx[i], i + 1, 2);
    }

    // "SQL" column: rows L1..L9.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("SQL")), 0, 3, 1, 2, Qt::AlignCenter);
    std::array<QLineEdit**, 9> sql{&Edit6,  &Edit7,  &Edit8,  &Edit9, &Edit10,
                                   &Edit11, &Edit12, &Edit19, &Edit20};
    const std::array<int, 9> sqlNames{6, 7, 8, 9, 10, 11, 12, 19, 20};
    for (int i = 0; i < 9; ++i) {
        *sql[i] = makeHexBox(part, QStringLiteral("Edit%1").arg(sqlNames[i]), QStringLiteral("00"),
                             2, QStringLiteral("SQL L%1").arg(i + 1));
        grid->addWidget(makeLabel(part, labels, QStringLiteral("L%1").arg(i + 1), *sql[i]), i + 1,
                        3, Qt::AlignRight);
        grid->addWidget(*sql[i], i + 1, 4);
    }

    // "Shift Frq." column: two boxes each for RX and TX.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift Frq.")), 0, 5, 1, 2,
                    Qt::AlignCenter);
    std::array<QLineEdit**, 4> shift{&Edit13, &Edit14, &Edit15, &Edit16};
    for (int i = 0; i < 4; ++i)
        *shift[i] =
            makeHexBox(part, QStringLiteral("Edit%1").arg(13 + i), QStringLiteral("0000"), 4,
                       QStringLiteral("Shift %1 Frq. %2").arg(i < 2 ? "RX" : "TX").arg(i % 2 + 1));
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift\nRX Frq."), Edit13), 1, 5, 2, 1,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(Edit13, 1, 6);
    grid->addWidget(Edit14, 2, 6);
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift\nTX Frq."), Edit15), 4, 5, 2, 1,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(Edit15, 4, 6);
    grid->addWidget(Edit16, 5, 6);

    grid->setColumnStretch(7, 1);
    return part;
}

QWidget* TSubForm1::buildLowerPart() {
    auto* part = new QWidget(this);
    auto* row = new QHBoxLayout(part);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    int labels = 100;  // keeps the lower part's label names apart from the upper part's

    // The bottom-left corner holds only EEPROM INIT, cut off by a vertical line.
    Button5 = makeButton(part, QStringLiteral("Button5"), QStringLiteral("EEPROM INIT"));
    auto* corner = new QVBoxLayout;
    corner->addWidget(Button5);
    corner->addStretch(1);
    row->addLayout(corner);
    Shape2 = new QFrame(part);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::VLine);
    Shape2->setFrameShadow(QFrame::Sunken);
    row->addWidget(Shape2);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    Button6 = makeButton(part, QStringLiteral("Button6"), QStringLiteral("TX POW SET"));
    Edit17 = makeHexBox(part, QStringLiteral("Edit17"), QStringLiteral("C000"), 4,
                        QStringLiteral("TX POW SET value"));
    CB_TXP = makeList(part, QStringLiteral("CB_TXP"), levelItems(5));
    grid->addWidget(Button6, 0, 0);
    grid->addWidget(Edit17, 1, 0);
    grid->addWidget(CB_TXP, 2, 0);

    Button7 = makeButton(part, QStringLiteral("Button7"), QStringLiteral("SQL SET"));
    CB_SQL = makeList(part, QStringLiteral("CB_SQL"), levelItems(9));
    grid->addWidget(Button7, 0, 1);
    grid->addWidget(CB_SQL, 1, 1);

    auto* channels = new QGridLayout;
    channels->setSpacing(2);
    using Handler = void (TSubForm1::*)();
    const std::array<Handler, 9> handlers{
        &TSubForm1::Button10Click, &TSubForm1::Button11Click, &TSubForm1::Button12Click,
        &TSubForm1::Button13Click, &TSubForm1::Button14Click, &TSubForm1::Button15Click,
        &TSubForm1::Button16Click, &TSubForm1::Button17Click, &TSubForm1::Button18Click};
    for (int i = 0; i < 9; ++i) {
        auto* b = makeButton(part, QStringLiteral("Button%1").arg(10 + i),
                             QStringLiteral("CH%1").arg(i + 1));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("CH9")) + 18);
        channelButtons[static_cast<size_t>(i)] = b;
        channels->addWidget(b, i / 3, i % 3);
        connect(b, &QPushButton::clicked, this, handlers[static_cast<size_t>(i)]);
    }
    grid->addLayout(channels, 0, 2, 3, 1);

    Edit18 = new QLineEdit(QStringLiteral("Ready"), part);
    Edit18->setObjectName(QStringLiteral("Edit18"));
    Edit18->setAccessibleName(QStringLiteral("Status"));
    Edit18->setReadOnly(true);
    Edit18->setFocusPolicy(Qt::NoFocus);  // not a tab stop
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Status"), Edit18), 3, 0);
    grid->addWidget(Edit18, 4, 0, 1, 3);
    row->addLayout(grid, 1);

    connect(Button2, &QPushButton::clicked, this, &TSubForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSubForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TSubForm1::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TSubForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TSubForm1::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TSubForm1::Button7Click);
    return part;
}

}  // namespace kva
