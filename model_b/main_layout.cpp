// TMainForm of kvprog_b: where the controls stand and what the menus hold.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "model_b/descriptor.h"
#include "model_b/main.h"
#include "model_b/settings.h"
#include "platform/radiogroup.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/resultlog.h"

namespace kvb {

using kvui::comboBox;

namespace {

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent, int x, int y) {
    QLabel* l = kvui::label(text, parent, x, y);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// The production label is Japanese: a Mincho face, so that it draws in the serif style
// of the titles rather than as boxes.
QFont japaneseSerifFont(int pixels) {
    QFont f;
    f.setFamilies({QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                   QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPGothic")});
    f.setPixelSize(pixels);
    return f;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : kvui::TMainFormBase(descriptor(), parent) {
    buildWindow();
    buildMenus();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildWindow() {
    QWidget* central = centralWidget();
    SG_ChData->setGeometry(8, 8, 347, 410);
    LB_Result->setGeometry(8, 450, 784, 102);
    Label8->move(368, 2);
    Label9->move(580, 2);
    Label10->move(478, 34);
    Label11->move(478, 54);
    Label14->setFont(japaneseSerifFont(29));
    Label14->adjustSize();
    Label14->move(372, 32);

    buildEditPanel(central)->setGeometry(364, 74, 204, 370);
    buildSetModePanel(central)->setGeometry(574, 74, 218, 300);

    // The two drop-down lists stand in small groups captioned like the controls.
    const struct {
        const char* group;
        int32_t TSetMode::*field;
        QComboBox** box;
        const char* unit;
        int x;
    } smalls[] = {{"GroupBox3", &TSetMode::Tot, &CB_Tot, "Label12", 574},
                  {"GroupBox4", &TSetMode::Save, &CB_Save, "Label13", 684}};
    for (const auto& s : smalls) {
        const SetModeControl& c = setModeControl(s.field);
        auto* g = new QGroupBox(QString::fromLatin1(c.caption), central);
        g->setObjectName(QString::fromLatin1(s.group));
        g->setGeometry(s.x, 382, 108, 62);
        *s.box = comboBox(c.name, *c.items, g);
        (*s.box)->setGeometry(8, 26, 62, 22);
        namedLabel(s.unit, QStringLiteral("sec"), g, 76, 30);
    }
}

QWidget* TMainForm::buildEditPanel(QWidget* parent) {
    auto* g = new QGroupBox(QStringLiteral("Edit"), parent);
    g->setObjectName(QStringLiteral("GroupBox2"));
    namedLabel("Label1", QStringLiteral("CH No."), g, 10, 32);
    E_ChNo = kvui::makeChannelNumberBox(g);
    E_ChNo->setGeometry(84, 22, 44, 34);

    constexpr int kBoxX = 84;
    constexpr int kBoxWidth = 84;
    constexpr int kUnitX = 172;
    auto freqRow = [&](const char* label, const char* caption, const char* name, const char* unit,
                       int y) {
        namedLabel(label, QString::fromLatin1(caption), g, 10, y + 4);
        QLineEdit* e = kvui::makeFrequencyBox(name, g);
        e->setGeometry(kBoxX, y, kBoxWidth, 22);
        namedLabel(unit, QStringLiteral("MHz"), g, kUnitX, y + 4);
        return e;
    };
    E_RxFrq = freqRow("Label2", "RX Frq.", "E_RxFrq", "Label6", 72);
    E_TxFrq = freqRow("Label3", "TX Frq.", "E_TxFrq", "Label7", 104);

    // A caption of one or two labels at the left, the box, and a unit label where it has one.
    struct Row {
        QComboBox** box;
        const char* name;
        const QStringList& items;
        const char* label1;
        const char* caption1;
        const char* label2;
        const char* caption2;
        const char* unit;
        int y;
    };
    const Row rows[] = {
        {&CB_Power, "CB_Power", items::power(), "Label4", "TX Power", nullptr, nullptr, nullptr,
         144},
        {&CB_BR, "CB_BR", items::br(), "Label15", "Baud-Rate", nullptr, nullptr, "Label19", 184},
        {&CB_DA, "CB_DA", items::da(), "Label5", "Data/", "Label16", "Audio", nullptr, 226},
        {&CB_MBR, "CB_MBR", items::mbr(), "Label17", "Modem", "Label18", "Baud-Rate", "Label20",
         272},
    };
    for (const Row& r : rows) {
        const int captionY = r.label2 ? r.y - 4 : r.y + 4;
        namedLabel(r.label1, QString::fromLatin1(r.caption1), g, 10, captionY);
        if (r.label2) namedLabel(r.label2, QString::fromLatin1(r.caption2), g, 10, captionY + 15);
        *r.box = comboBox(r.name, r.items, g);
        (*r.box)->setGeometry(kBoxX, r.y, kBoxWidth, 22);
        if (r.unit) namedLabel(r.unit, QStringLiteral("bps"), g, kUnitX, r.y + 4);
    }

    B_Set = new QPushButton(QStringLiteral("Set"), g);
    B_Set->setObjectName(QStringLiteral("B_Set"));
    B_Set->setGeometry(16, 322, 76, 32);
    connect(B_Set, &QPushButton::clicked, this, [this] { B_SetClick(); });
    B_Clear = new QPushButton(QStringLiteral("Clear"), g);
    B_Clear->setObjectName(QStringLiteral("B_Clear"));
    B_Clear->setGeometry(110, 322, 76, 32);
    connect(B_Clear, &QPushButton::clicked, this, [this] { B_ClearClick(); });
    return g;
}

QWidget* TMainForm::buildSetModePanel(QWidget* parent) {
    auto* g = new QGroupBox(QStringLiteral("SetMode"), parent);
    g->setObjectName(QStringLiteral("GroupBox1"));
    auto group = [&](int32_t TSetMode::*field, QRect r) {
        const SetModeControl& c = setModeControl(field);
        auto* rg = new platform::TRadioGroup(QString::fromLatin1(c.caption), *c.items, 1, g);
        rg->setObjectName(QString::fromLatin1(c.name));
        rg->setGeometry(r);
        return rg;
    };
    RG_Data = group(&TSetMode::Data, QRect(6, 20, 206, 66));
    RG_Busy = group(&TSetMode::Busy, QRect(6, 92, 100, 66));
    RG_FSQC = group(&TSetMode::FSQC, QRect(112, 92, 100, 66));
    RG_SB = group(&TSetMode::SB, QRect(6, 164, 100, 92));
    RG_SP = group(&TSetMode::SP, QRect(112, 164, 100, 92));
    return g;
}

void TMainForm::buildMenus() {
    buildFileMenu();
    QMenu* edit = buildEditMenu();
    Factory1 = addMenuItem(edit, "Factory1", "&Factory", [this] { Factory1Click(); });
    QMenu* com = buildComMenu();
    addSaveTraceItem(com);
    // The chosen port shows in brackets, not as a check mark.
    for (QAction* a : {N11, N21, N31, N41}) a->setCheckable(false);
    buildVersionItem();
}

}  // namespace kvb
