// TForm1, the KV938R/935R/931R factory window: where its boxes and buttons stand.
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model_b/sub1.h"

namespace kvb {
namespace {

// The window's face: a Japanese proportional sans-serif.
QFont factoryFont() {
    QFont f;
    f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                   QStringLiteral("IPAGothic")});
    f.setPixelSize(12);
    return f;
}

}  // namespace

TForm1::TForm1(QWidget* owner, TCustomCommX* comm) : TServiceForm(owner, comm) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("FACTORY"));
    setFont(factoryFont());
    buildWindow();
    setFixedSize(423, 281);
}

void TForm1::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(buildValues());
    layout->addStretch(1);
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Shape1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    layout->addWidget(buildErase());

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
}

QWidget* TForm1::buildValues() {
    auto* part = new QWidget(this);
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    Button2 = makeButton(part, QStringLiteral("Button2"), QStringLiteral("READ"));
    Button3 = makeButton(part, QStringLiteral("Button3"), QStringLiteral("WRITE"));
    Button4 = makeButton(part, QStringLiteral("Button4"), QStringLiteral("End"));
    for (QPushButton* b : {Button2, Button3, Button4}) b->setMinimumWidth(84);
    grid->addWidget(Button2, 1, 0);
    grid->addWidget(Button3, 2, 0);
    grid->addWidget(Button4, 6, 0);
    grid->setColumnMinimumWidth(1, 18);

    int labels = 10;
    Label11 = makeLabel(part, labels, QStringLiteral("TX POWER"));
    Label12 = makeLabel(part, labels, QStringLiteral("TCXO"));
    grid->addWidget(Label11, 0, 2, 1, 2, Qt::AlignCenter);
    grid->addWidget(Label12, 0, 5, 1, 2, Qt::AlignCenter);
    grid->setColumnMinimumWidth(4, 24);

    // Edit<n> with Label<n> as its caption, n counted from 1 in this order.
    const struct {
        QLineEdit** edit;
        const char* caption;
        const char* heading;
        int row;
        int column;
        int digits;
    } boxes[] = {{&Edit1, "H->MID", "TX POWER", 1, 2, 2}, {&Edit2, "MID->H", "TX POWER", 2, 2, 2},
                 {&Edit3, "MID->L", "TX POWER", 3, 2, 2}, {&Edit4, "L->MID", "TX POWER", 4, 2, 2},
                 {&Edit5, "H->L", "TCXO", 1, 5, 2},       {&Edit6, "L->H", "TCXO", 2, 5, 2},
                 {&Edit7, "L->VL", "TCXO", 3, 5, 2},      {&Edit8, "VL->L", "TCXO", 4, 5, 2},
                 {&Edit9, "VCO R", "", 6, 2, 4},          {&Edit10, "VCO T", "", 6, 5, 4}};
    labels = 0;
    for (const auto& b : boxes) {
        const QString caption = QString::fromLatin1(b.caption);
        const QString name = QStringLiteral("Edit%1").arg(labels + 1);  // the label's number
        const QString heading = QString::fromLatin1(b.heading);
        *b.edit = makeHexBox(part, name, QString(b.digits, QChar('0')), b.digits,
                             heading.isEmpty() ? caption : heading + QChar(' ') + caption);
        grid->addWidget(makeLabel(part, labels, caption, *b.edit), b.row, b.column, Qt::AlignRight);
        grid->addWidget(*b.edit, b.row, b.column + 1, Qt::AlignLeft);
    }
    grid->setRowMinimumHeight(5, 6);
    grid->setColumnStretch(7, 1);
    return part;
}

QWidget* TForm1::buildErase() {
    auto* part = new QWidget(this);
    auto* row = new QHBoxLayout(part);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    Button5 = makeButton(part, QStringLiteral("Button5"), QStringLiteral("EEPROM INIT"));
    Button1 = makeButton(part, QStringLiteral("Button1"), QStringLiteral("ALL F CLR"));
    for (QPushButton* b : {Button5, Button1}) {
        b->setMinimumWidth(100);
        row->addWidget(b);
    }
    row->addStretch(1);
    return part;
}

}  // namespace kvb
