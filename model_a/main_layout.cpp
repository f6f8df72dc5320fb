// TMainForm of kvprog_a: where the controls stand and what the menus hold.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "model_a/descriptor.h"
#include "model_a/main.h"
#include "model_a/settings.h"
#include "platform/radiogroup.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/resultlog.h"

namespace kva {

using kvui::comboBox;
using kvui::label;

TMainForm::TMainForm(QWidget* parent) : kvui::TMainFormBase(descriptor(), parent) {
    buildWindow();
    buildMenus();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildWindow() {
    QWidget* central = centralWidget();
    SG_ChData->setGeometry(8, 8, 401, 429);
    LB_Result->setGeometry(8, 443, 401, 109);
    Label8->move(421, 0);
    Label9->move(589, 0);
    Label10->move(517, 32);
    Label11->move(517, 51);
    Label14->move(424, 33);

    auto* edit = buildEditPanel(central);
    edit->setGeometry(416, 68, 180, 430);
    auto* setMode = buildSetModePanel(central);
    setMode->setGeometry(600, 68, 185, 430);

    // The three drop-down lists stand in small groups captioned like the controls.
    const struct {
        const char* group;
        int32_t TSetMode::*field;
        QComboBox** box;
        int x;
    } smalls[] = {{"GroupBox3", &TSetMode::Tot, &CB_Tot, 416},
                  {"GroupBox4", &TSetMode::Save, &CB_Save, 507},
                  {"Sleep", &TSetMode::SL, &CB_SL, 600}};
    for (const auto& s : smalls) {
        const SetModeControl& c = setModeControl(s.field);
        auto* g = new QGroupBox(QString::fromLatin1(c.caption), central);
        g->setObjectName(QString::fromLatin1(s.group));
        g->setGeometry(s.x, 501, 89, 49);
        *s.box = comboBox(c.name, *c.items, g);
        (*s.box)->setGeometry(4, 18, 60, 22);
        label(QStringLiteral("sec"), g, 67, 22);
    }
    CB_SL->setEnabled(false);
}

QWidget* TMainForm::buildEditPanel(QWidget* parent) {
    auto* g = new QGroupBox(QStringLiteral("Edit"), parent);
    g->setObjectName(QStringLiteral("GroupBox2"));
    label(QStringLiteral("CH No."), g, 6, 30);
    E_ChNo = kvui::makeChannelNumberBox(g);
    E_ChNo->setGeometry(80, 20, 44, 34);

    auto freqRow = [&](const char* caption, const char* name, int y) {
        label(QString::fromLatin1(caption), g, 6, y + 4);
        QLineEdit* e = kvui::makeFrequencyBox(name, g);
        e->setGeometry(64, y, 80, 22);
        label(QStringLiteral("MHz"), g, 148, y + 4);
        return e;
    };
    E_RxFrq = freqRow("RX Frq.", "E_RxFrq", 68);
    E_TxFrq = freqRow("TX Frq.", "E_TxFrq", 100);

    // Caption at the left, the box, and a unit; the box moves right for a wide caption.
    auto comboRow = [&](const QString& caption, const char* name, const QStringList& list, int y,
                        const QString& unit, int boxX = 64, int boxWidth = 80) {
        auto* l = new QLabel(caption, g);
        l->setGeometry(6, y - 4, boxX - 6, 30);
        auto* cb = comboBox(name, list, g);
        cb->setGeometry(boxX, y, boxWidth, 22);
        if (!unit.isEmpty()) label(unit, g, 148, y + 4);
        return cb;
    };
    CB_Power = comboRow(QStringLiteral("TX Pow."), "CB_Power", items::power(), 140, {});
    CB_BR = comboRow(QStringLiteral("Baud-Rate"), "CB_BR", items::br(), 180, QStringLiteral("bps"));
    CB_DA = comboRow(QStringLiteral("Data/\nAudio"), "CB_DA", items::da(), 220, {});
    CB_MBR = comboRow(QStringLiteral("KORVAN Modem\nBaud-Rate"), "CB_MBR", items::mbr(), 260,
                      QStringLiteral("bps"), 90, 56);
    CB_SQL = comboRow(QStringLiteral("SQL"), "CB_SQL", items::sql(), 306, {});

    auto* set = new QPushButton(QStringLiteral("Set"), g);
    set->setObjectName(QStringLiteral("B_Set"));
    set->setGeometry(14, 370, 70, 30);
    connect(set, &QPushButton::clicked, this, [this] { B_SetClick(); });
    auto* clear = new QPushButton(QStringLiteral("Clear"), g);
    clear->setObjectName(QStringLiteral("B_Clear"));
    clear->setGeometry(96, 370, 70, 30);
    connect(clear, &QPushButton::clicked, this, [this] { B_ClearClick(); });
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
    RG_Data = group(&TSetMode::Data, QRect(6, 16, 173, 52));
    RG_Busy = group(&TSetMode::Busy, QRect(6, 70, 85, 52));
    RG_FSQC = group(&TSetMode::FSQC, QRect(94, 70, 85, 52));
    RG_EXT = group(&TSetMode::EXT, QRect(6, 124, 85, 52));
    RG_VCO = group(&TSetMode::VCO, QRect(94, 124, 85, 52));
    label(QStringLiteral("KORVAN Modem SetMode"), g, 8, 180);
    RG_SB = group(&TSetMode::SB, QRect(6, 196, 85, 86));
    RG_SP = group(&TSetMode::SP, QRect(94, 196, 85, 86));
    RG_SD = group(&TSetMode::SD, QRect(6, 286, 85, 52));
    RG_ST = group(&TSetMode::ST, QRect(94, 286, 85, 52));
    RG_RMT = group(&TSetMode::RMT, QRect(94, 342, 85, 52));
    return g;
}

void TMainForm::buildMenus() {
    buildFileMenu();
    QMenu* edit = buildEditMenu();
    edit->addSeparator();
    Factory1 = addMenuItem(edit, "Factory1", "&Factory", [this] { Factory1Click(); });
    QMenu* com = buildComMenu();
    com->addSeparator();
    addMenuItem(com, "CHSET1", "CH SET", [this] { CHSET1Click(); });
    addSaveTraceItem(com);
    buildVersionItem();
}

}  // namespace kva
