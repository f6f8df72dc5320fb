#include "model_a/main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <cstring>

#include "platform/commandlock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"

namespace kva {
namespace {

const QString kMarkerFile = QStringLiteral("Seisan.FMT");
const QString kPortFile = QStringLiteral("KV417R.INI");
const QColor kInfoTip(255, 255, 225);
const QColor kAqua(0, 255, 255);

QFont serifFont(int pixels, bool italic) {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(pixels);
    f.setItalic(italic);
    return f;
}

QLabel* label(const QString& text, QWidget* parent, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QComboBox* comboBox(const char* name, const QStringList& items, QWidget* parent) {
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QString::fromLatin1(name));
    cb->addItems(items);
    cb->setCurrentIndex(-1);
    return cb;
}

// An index outside the items leaves the box without a selection.
void setComboIndex(QComboBox* cb, int index) {
    cb->setCurrentIndex(index >= 0 && index < cb->count() ? index : -1);
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    CommX1 = new TCommX(this);
    CommX1->setParityBit(cpbEven);
    CommX1->setFlowCtrl(cfcNone);
    buildWindow();
    buildMenus();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildWindow() {
    setObjectName(QStringLiteral("MainForm"));
    auto* central = new QWidget(this);
    central->setFixedSize(800, 560);
    setCentralWidget(central);
    // Arial metrics (Liberation Sans) keep the texts inside the design's column widths.
    QFont base(QStringLiteral("Liberation Sans"));
    base.setPixelSize(12);
    setFont(base);

    SG_ChData = new QTableWidget(kChannels, 7, central);
    SG_ChData->setObjectName(QStringLiteral("SG_ChData"));
    SG_ChData->setGeometry(8, 8, 401, 429);
    SG_ChData->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SG_ChData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SG_ChData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG_ChData->setSelectionMode(QAbstractItemView::SingleSelection);
    SG_ChData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG_ChData->verticalHeader()->setDefaultSectionSize(24);
    SG_ChData->horizontalHeader()->setFixedHeight(24);
    SG_ChData->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The headings carry leading blanks of their own, laid out for left alignment.
    SG_ChData->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG_ChData->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SG_ChData->horizontalHeader()->setMinimumSectionSize(20);
    const int widths[7] = {60, 60, 50, 66, 32, 35, 47};
    for (int c = 0; c < 7; ++c) SG_ChData->setColumnWidth(c, widths[c]);
    QPalette gridPalette = SG_ChData->palette();
    gridPalette.setColor(QPalette::Base, kInfoTip);
    SG_ChData->setPalette(gridPalette);
    for (int r = 0; r < kChannels; ++r)
        for (int c = 0; c < 7; ++c) SG_ChData->setItem(r, c, new QTableWidgetItem);
    SG_ChData->setCurrentCell(0, 0);  // the grid starts on channel 1, as the edit panel does
    connect(SG_ChData, &QTableWidget::cellClicked, this, [this] { SG_ChDataClick(); });
    connect(SG_ChData, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow) {
                if (row != previousRow && row >= 0) SG_ChDataClick();
            });

    LB_Result = new QListWidget(central);
    LB_Result->setObjectName(QStringLiteral("LB_Result"));
    LB_Result->setGeometry(8, 443, 401, 109);
    LB_Result->setFocusPolicy(Qt::NoFocus);
    QPalette logPalette = LB_Result->palette();
    logPalette.setColor(QPalette::Base, kInfoTip);
    LB_Result->setPalette(logPalette);
    LB_Result->setUniformItemSizes(true);

    auto* label8 = label(QStringLiteral("KV417R"), central, 421, 0);
    label8->setObjectName(QStringLiteral("Label8"));
    label8->setFont(serifFont(24, true));
    label8->setStyleSheet(QStringLiteral("color: blue"));
    label8->adjustSize();
    auto* label9 = label(QStringLiteral("Programming Tool"), central, 589, 0);
    label9->setObjectName(QStringLiteral("Label9"));
    label9->setFont(serifFont(24, true));
    label9->adjustSize();
    auto* label10 = label(QStringLiteral("KORVAN ELECTRONICS IND.CO.,LTD."), central, 517, 32);
    label10->setObjectName(QStringLiteral("Label10"));
    label10->setFont(serifFont(16, false));
    label10->adjustSize();
    auto* label11 = label(QStringLiteral("Kyoto, Japan"), central, 517, 51);
    label11->setObjectName(QStringLiteral("Label11"));
    label11->setFont(serifFont(13, false));
    label11->adjustSize();
    Label14 = label(QStringLiteral("Factory"), central, 424, 33);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label14->setFont(serifFont(24, true));
    Label14->setStyleSheet(QStringLiteral("color: red"));
    Label14->adjustSize();

    auto* edit = buildEditPanel(central);
    edit->setGeometry(416, 68, 180, 430);
    auto* setMode = buildSetModePanel(central);
    setMode->setGeometry(600, 68, 185, 430);

    struct Small {
        const char* group;
        const char* caption;
        QComboBox** box;
        const char* name;
        const QStringList& items;
        int x;
    };
    const Small smalls[] = {{"GroupBox3", "Time Out", &CB_Tot, "CB_Tot", items::tot(), 416},
                            {"GroupBox4", "SAVE", &CB_Save, "CB_Save", items::save(), 507},
                            {"Sleep", "Sleep", &CB_SL, "CB_SL", items::sleep(), 600}};
    for (const Small& s : smalls) {
        auto* g = new QGroupBox(QString::fromLatin1(s.caption), central);
        g->setObjectName(QString::fromLatin1(s.group));
        g->setGeometry(s.x, 501, 89, 49);
        *s.box = comboBox(s.name, s.items, g);
        (*s.box)->setGeometry(4, 18, 60, 22);
        label(QStringLiteral("sec"), g, 67, 22);
    }
    CB_SL->setEnabled(false);

    OpenDialog1 = new platform::TOpenDialog(this);
    SaveDialog1 = new platform::TSaveDialog(this);
    SaveDialog1->DefaultExt = QStringLiteral("DAT");
    SaveDialog1->Filter = QStringLiteral("DAT File[*.DAT]|*.DAT|All Files{*.*]|*.*");
    PrinterSetupDialog1 = new platform::TPrinterSetupDialog(this);
}

QWidget* TMainForm::buildEditPanel(QWidget* parent) {
    auto* g = new QGroupBox(QStringLiteral("Edit"), parent);
    g->setObjectName(QStringLiteral("GroupBox2"));
    label(QStringLiteral("CH No."), g, 6, 30);
    E_ChNo = new QLineEdit(g);
    E_ChNo->setObjectName(QStringLiteral("E_ChNo"));
    E_ChNo->setGeometry(80, 20, 44, 34);
    E_ChNo->setReadOnly(true);
    E_ChNo->setFocusPolicy(Qt::NoFocus);
    E_ChNo->setMaxLength(2);
    QFont big = E_ChNo->font();
    big.setPixelSize(24);
    E_ChNo->setFont(big);
    setBackground(E_ChNo, kAqua);

    auto freqRow = [&](const char* caption, const char* name, int y) {
        label(QString::fromLatin1(caption), g, 6, y + 4);
        auto* e = new QLineEdit(g);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(64, y, 80, 22);
        e->setMaxLength(8);
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
    auto group = [&](const char* name, const char* caption, QStringList list, QRect r) {
        auto* rg = new platform::TRadioGroup(QString::fromLatin1(caption), list, 1, g);
        rg->setObjectName(QString::fromLatin1(name));
        rg->setGeometry(r);
        return rg;
    };
    // The double quotes belong to the item texts.
    RG_Data = group(
        "RG_Data", "Data/Audio Signal",
        {QStringLiteral("\"H\" Data   \"L\" Audio"), QStringLiteral("\"L\"  Data  \"H\" Audio")},
        QRect(6, 16, 173, 52));
    RG_Busy = group("RG_Busy", "Busy Signal", {"L:Busy", "H:Busy"}, QRect(6, 70, 85, 52));
    RG_FSQC = group("RG_FSQC", "FSQC", {"OFF", "ON"}, QRect(94, 70, 85, 52));
    RG_EXT = group("RG_EXT", "EXT SQC", {"L:Open", "H:Open"}, QRect(6, 124, 85, 52));
    RG_VCO = group("RG_VCO", "VCO", {"Tx off", "Tx on"}, QRect(94, 124, 85, 52));
    label(QStringLiteral("KORVAN Modem SetMode"), g, 8, 180);
    RG_SB = group("RG_SB", "Baud-Rate", {"1200bps", "2400bps", "4800bps", "9600bps"},
                  QRect(6, 196, 85, 86));
    RG_SP = group("RG_SP", "Parity", {"NONE", "ODD", "EVEN"}, QRect(94, 196, 85, 86));
    RG_SD = group("RG_SD", "Data Len", {"7 bit", "8 bit"}, QRect(6, 286, 85, 52));
    RG_ST = group("RG_ST", "Stop Bit", {"1 bit", "2 bit"}, QRect(94, 286, 85, 52));
    RG_RMT = group("RG_RMT", "Remote", {"Disable", "Enable"}, QRect(94, 342, 85, 52));
    return g;
}

void TMainForm::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    action(file, "OPEN1", "&Open", &TMainForm::OPEN1Click);
    file->addSeparator();
    action(file, "SaveAs1", "Save &As", &TMainForm::SaveAs1Click);
    action(file, "Save1", "&Save", &TMainForm::Save1Click);
    file->addSeparator();
    action(file, "PrinterSet1", "Printer &Set", &TMainForm::PrinterSet1Click);
    action(file, "Print1", "&Print", &TMainForm::Print1Click);
    file->addSeparator();
    action(file, "Exit1", "&Exit", &TMainForm::Exit1Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    action(edit, "Default1", "&Default", &TMainForm::Default1Click);
    edit->addSeparator();
    Factory1 = action(edit, "Factory1", "&Factory", &TMainForm::Factory1Click);

    QMenu* com = menuBar()->addMenu(QStringLiteral("&COM"));
    com->setObjectName(QStringLiteral("Com1"));
    action(com, "ReceivePCKV1", "&Receive (PC <- KV***)", &TMainForm::ReceivePCKV1Click);
    action(com, "TransmitPCKV1", "&Transmit(PC-> KV***)", &TMainForm::TransmitPCKV1Click);
    com->addSeparator();
    QMenu* port = com->addMenu(QStringLiteral("&Port"));
    port->setObjectName(QStringLiteral("Port1"));
    N11 = action(port, "N11", "&1", &TMainForm::N11Click);
    N21 = action(port, "N21", "&2", &TMainForm::N21Click);
    N31 = action(port, "N31", "&3", &TMainForm::N31Click);
    N41 = action(port, "N41", "&4", &TMainForm::N41Click);
    for (QAction* a : {N11, N21, N31, N41}) a->setCheckable(true);
    com->addSeparator();
    action(com, "CHSET1", "CH SET", &TMainForm::CHSET1Click);

    QAction* version = menuBar()->addAction(QStringLiteral("&Version"));
    version->setObjectName(QStringLiteral("Version1"));
    connect(version, &QAction::triggered, this, [this] { Version1Click(); });
}

void TMainForm::FormCreate() {
    ClearResult();
    const QDateTime now = QDateTime::currentDateTime();
    AddResult(QStringLiteral("Today:") + platform::shortDate(now.date()) + QStringLiteral("  ") +
              platform::longTime(now.time()));
    AddResult(QStringLiteral("***** Initialize Start *****"));
    const bool production = productionMarkerPresent();
    AddResult(production ? QStringLiteral("Mode:Debug") : QStringLiteral("Mode:Proper"));
    Label14->setEnabled(production);
    Label14->setVisible(production);
    Limits = limitsFor(production);
    Factory1->setEnabled(production);

    CurrentCh = 1;
    E_ChNo->setText(QString::asprintf("%2d", 1));
    FileName = QStringLiteral("noname.dat");
    showFileNameInCaption();
    for (int c = 1; c <= 7; ++c)
        SG_ChData->setHorizontalHeaderItem(c - 1, new QTableWidgetItem(gridHeading(c)));
    QStringList rowLabels;
    for (int r = 1; r <= kChannels; ++r) rowLabels << gridRowLabel(r);
    SG_ChData->setVerticalHeaderLabels(rowLabels);
    SG_ChData->verticalHeader()->setFixedWidth(40);
    Default1Click();

    selectPort(1);
    // A short or unreadable port file ends the start-up here; the window opens on port 1.
    platform::guarded(this, [this] {
        readPortFile();
        AddResult(QStringLiteral("PortNo:") + QString::number(CommX1->PortNo()));
        AddResult(QStringLiteral("***** Initialize Finished *****"));
    });
}

void TMainForm::readPortFile() {
    const QString path = platform::findInCurrentFolder(kPortFile);
    if (path.isEmpty()) return;
    uint8_t raw[4];
    platform::readBlock(path, raw, sizeof raw);
    const int32_t v = static_cast<int32_t>(uint32_t(raw[0]) | uint32_t(raw[1]) << 8 |
                                           uint32_t(raw[2]) << 16 | uint32_t(raw[3]) << 24);
    CommX1->setPortNo(v);
    markPort(v);
}

void TMainForm::selectPort(int port) {
    // Moving the port under a running transfer would close and reopen it mid-exchange.
    if (modemCommandRunning()) {
        markPort(CommX1->PortNo());
        platform::errorBox(platform::CommandLock::refusal(), this);
        return;
    }
    markPort(port);
    platform::guarded(this, [this, port] { CommX1->setPortNo(port); });
}

void TMainForm::markPort(int port) {
    N11->setChecked(port == 1);
    N21->setChecked(port == 2);
    N31->setChecked(port == 3);
    N41->setChecked(port == 4);
}

void TMainForm::showFileNameInCaption() {
    setWindowTitle(QStringLiteral("KV417R - ") + FileName);
}

void TMainForm::AddResult(const QString& text) {
    LB_Result->addItem(text);
    if (resultCount > 4)
        LB_Result->scrollToItem(LB_Result->item(LB_Result->count() - 1),
                                QAbstractItemView::PositionAtTop);
    else
        LB_Result->scrollToTop();
    ++resultCount;
}

void TMainForm::ClearResult() {
    LB_Result->clear();
    resultCount = 0;
}

QString TMainForm::cellText(int row, int column) const {
    const QTableWidgetItem* item = SG_ChData->item(row - 1, column - 1);
    return item ? item->text() : QString();
}

void TMainForm::showChannelRow(int ch, GridWriter writer) {
    const auto texts = gridTexts(SetData.Ch[ch - 1], writer);
    for (int c = 0; c < 7; ++c) SG_ChData->item(ch - 1, c)->setText(texts[c]);
}

void TMainForm::setEditFieldsColour(const QColor& colour) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{E_RxFrq, E_TxFrq, CB_Power, CB_BR, CB_DA, CB_MBR, CB_SQL})
        setBackground(w, colour);
}

void TMainForm::clearEditPanel() {
    E_RxFrq->clear();
    E_TxFrq->clear();
    for (QComboBox* cb : {CB_Power, CB_BR, CB_DA, CB_MBR, CB_SQL}) cb->setCurrentIndex(-1);
}

void TMainForm::loadEditPanel(int ch) {
    setEditFieldsColour(Qt::white);
    E_ChNo->setText(QString::asprintf("%2d", ch));
    const TChData& c = SetData.Ch[ch - 1];
    E_RxFrq->setText(c.RxFrq != 0 ? platform::formatFixed(c.RxFrq, 3, 4) : QString());
    E_TxFrq->setText(c.TxFrq != 0 ? platform::formatFixed(c.TxFrq, 3, 4) : QString());
    setComboIndex(CB_Power, c.Power);
    setComboIndex(CB_BR, c.BR);
    setComboIndex(CB_DA, c.DA);
    setComboIndex(CB_MBR, c.MBR);
    setComboIndex(CB_SQL, c.SQL);
}

void TMainForm::SG_ChDataClick() {
    const int r = SG_ChData->currentRow() + 1;
    if (r < 1 || r > kChannels) return;
    CurrentCh = r;
    loadEditPanel(r);
}

void TMainForm::B_SetClick() {
    if (CurrentCh < 1 || CurrentCh > kChannels) return;
    setEditFieldsColour(Qt::white);
    const double rx = StrToFrq(E_RxFrq->text());
    const double tx = StrToFrq(E_TxFrq->text());
    // Every field is checked, so all faulty ones turn red at once.
    bool ok = true;
    auto check = [&ok](QWidget* w, bool good) {
        if (!good) {
            setBackground(w, Qt::red);
            ok = false;
        }
    };
    check(E_RxFrq, rx >= Limits.RxFrqMin && rx <= Limits.RxFrqMax);
    check(E_TxFrq, tx >= Limits.TxFrqMin && tx <= Limits.TxFrqMax);
    for (QComboBox* cb : {CB_Power, CB_BR, CB_DA, CB_MBR, CB_SQL})
        check(cb, cb->currentIndex() >= 0);
    if (!ok) return;

    TChData& c = SetData.Ch[CurrentCh - 1];
    c.Used = 1;
    c.RxFrq = rx;
    c.TxFrq = tx;
    c.Power = CB_Power->currentIndex();
    c.BR = CB_BR->currentIndex();
    c.DA = CB_DA->currentIndex();
    c.MBR = CB_MBR->currentIndex();
    c.SQL = CB_SQL->currentIndex();
    showChannelRow(CurrentCh, GridWriter::Set);
    AddResult(QStringLiteral("Data Set [Ch:") + QString::number(CurrentCh) + QStringLiteral("]"));
}

void TMainForm::B_ClearClick() {
    if (CurrentCh < 1 || CurrentCh > kChannels) return;
    setEditFieldsColour(Qt::white);
    SetData.Ch[CurrentCh - 1] = emptyChannel();
    for (int c = 0; c < 7; ++c) SG_ChData->item(CurrentCh - 1, c)->setText(QString());
    clearEditPanel();
    AddResult(QStringLiteral("Data Clear [Ch:") + QString::number(CurrentCh) + QStringLiteral("]"));
}

void TMainForm::Default1Click() {
    for (int r = 0; r < kChannels; ++r)
        for (int c = 0; c < 7; ++c) SG_ChData->item(r, c)->setText(QString());
    CurrentCh = 1;
    E_ChNo->setText(QString::asprintf("%2d", 1));
    clearEditPanel();
    setEditFieldsColour(QApplication::palette().color(QPalette::Base));
    setControlSetMode(defaultSetMode());
    // Byte copies keep the block's gaps as they are (files store them).
    const TSetData defaults = defaultSetData();
    std::memcpy(&SetData, &defaults, sizeof SetData);
    AddResult(QStringLiteral("Default Set"));
}

TSetMode TMainForm::controlSetMode() const {
    return {RG_Data->ItemIndex(), RG_Busy->ItemIndex(),   RG_FSQC->ItemIndex(),
            RG_EXT->ItemIndex(),  RG_VCO->ItemIndex(),    RG_SB->ItemIndex(),
            RG_SP->ItemIndex(),   RG_ST->ItemIndex(),     RG_SD->ItemIndex(),
            RG_RMT->ItemIndex(),  CB_Tot->currentIndex(), CB_Save->currentIndex(),
            CB_SL->currentIndex()};
}

void TMainForm::setControlSetMode(const TSetMode& m) {
    RG_Data->setItemIndex(m.Data);
    RG_Busy->setItemIndex(m.Busy);
    RG_FSQC->setItemIndex(m.FSQC);
    RG_EXT->setItemIndex(m.EXT);
    RG_VCO->setItemIndex(m.VCO);
    RG_SB->setItemIndex(m.SB);
    RG_SP->setItemIndex(m.SP);
    RG_ST->setItemIndex(m.ST);
    RG_SD->setItemIndex(m.SD);
    RG_RMT->setItemIndex(m.RMT);
    setComboIndex(CB_Tot, m.Tot);
    setComboIndex(CB_Save, m.Save);
    setComboIndex(CB_SL, m.SL);
}

void TMainForm::Version1Click() {
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) return;
    platform::showMessage({platform::MsgKind::Plain,
                           QStringLiteral("KV417R PC Programming  \r\r Version : ") + version,
                           platform::MsgButtons::Ok,
                           {}},
                          this);
}

void TMainForm::Exit1Click() {
    close();
}

bool TMainForm::productionMarkerPresent() {
    return !platform::findInCurrentFolder(kMarkerFile).isEmpty();
}

bool TMainForm::modemCommandRunning() const {
    return platform::CommandLock::isBusy(CommX1);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The transfer's handler is still on the stack: close once it has ended.
    if (modemCommandRunning()) {
        closePending_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TMainForm::runModemCommand(const std::function<void()>& command) {
    platform::runExclusive(this, CommX1, command);
    if (closePending_) {
        closePending_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

}  // namespace kva
