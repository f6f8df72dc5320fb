// TMainFormBase: construction of the shared controls and the menus both tools have.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "core/portsession.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "serial/CommX.h"
#include "ui/channelgrid.h"
#include "ui/controls.h"
#include "ui/mainform.h"
#include "ui/resultlog.h"

namespace kvui {

TMainFormBase::TMainFormBase(const kvcore::ModelDescriptor& model, QWidget* parent)
    : QMainWindow(parent),
      CommX1(new TCommX(this)),
      model_(model),
      runner_(CommX1, platform::errorDisplay(this)),
      traces_(CommX1, model.program) {
    kvcore::setModemLine(*CommX1);
    runner_.setBusyChanged([this](bool busy) { setEditingAvailable(!busy); });

    setObjectName(QStringLiteral("MainForm"));
    auto* central = new QWidget(this);
    central->setFixedSize(800, 560);
    setCentralWidget(central);
    // Arial metrics (Liberation Sans) keep the texts inside the design's column widths.
    QFont base(QStringLiteral("Liberation Sans"));
    base.setPixelSize(12);
    setFont(base);

    SG_ChData = new ChannelGrid(model.gridWidths, central);
    connect(SG_ChData, &ChannelGrid::rowClicked, this, [this] { SG_ChDataClick(); });
    LB_Result = new ResultLog(central);

    const struct {
        QLabel** label;
        const char* name;
        QString text;
        QFont font;
    } titles[] = {
        {&Label8, "Label8", model.title, serifFont(24, true)},
        {&Label9, "Label9", QStringLiteral("Programming Tool"), serifFont(24, true)},
        {&Label10, "Label10", QStringLiteral("KORVAN ELECTRONICS IND.CO.,LTD."),
         serifFont(16, false)},
        {&Label11, "Label11", QStringLiteral("Kyoto, Japan"), serifFont(13, false)},
        {&Label14, "Label14", model.productionLabel, serifFont(24, true)},
    };
    for (const auto& t : titles) {
        *t.label = label(t.text, central, 0, 0);
        (*t.label)->setObjectName(QString::fromLatin1(t.name));
        (*t.label)->setFont(t.font);
        (*t.label)->adjustSize();
    }
    Label8->setStyleSheet(QStringLiteral("color: blue"));
    Label14->setStyleSheet(QStringLiteral("color: red"));

    OpenDialog1 = new platform::TOpenDialog(this);
    SaveDialog1 = new platform::TSaveDialog(this);
    SaveDialog1->DefaultExt = QStringLiteral("DAT");
    SaveDialog1->Filter = QStringLiteral("DAT File[*.DAT]|*.DAT|All Files{*.*]|*.*");
    PrinterSetupDialog1 = new platform::TPrinterSetupDialog(this);
}

TMainFormBase::~TMainFormBase() = default;

QMenu* TMainFormBase::addMenu(const char* name, const char* caption) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* TMainFormBase::addMenuItem(QMenu* menu, const char* name, const char* caption,
                                    const std::function<void()>& handler) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [handler] { handler(); });
    return a;
}

void TMainFormBase::buildFileMenu() {
    QMenu* file = addMenu("File1", "&File");
    OPEN1 = addMenuItem(file, "OPEN1", "&Open", [this] { OPEN1Click(); });
    file->addSeparator();
    SaveAs1 = addMenuItem(file, "SaveAs1", "Save &As", [this] { SaveAs1Click(); });
    Save1 = addMenuItem(file, "Save1", "&Save", [this] { Save1Click(); });
    file->addSeparator();
    addMenuItem(file, "PrinterSet1", "Printer &Set", [this] { PrinterSet1Click(); });
    Print1 = addMenuItem(file, "Print1", "&Print", [this] { Print1Click(); });
    file->addSeparator();
    addMenuItem(file, "Exit1", "&Exit", [this] { Exit1Click(); });
}

QMenu* TMainFormBase::buildEditMenu() {
    QMenu* edit = addMenu("Edit1", "&Edit");
    Default1 = addMenuItem(edit, "Default1", "&Default", [this] { Default1Click(); });
    return edit;
}

QMenu* TMainFormBase::buildComMenu() {
    QMenu* com = addMenu("Com1", "&COM");
    addMenuItem(com, "ReceivePCKV1", "&Receive (PC <- KV***)", [this] { ReceivePCKV1Click(); });
    addMenuItem(com, "TransmitPCKV1", "&Transmit(PC-> KV***)", [this] { TransmitPCKV1Click(); });
    com->addSeparator();
    QMenu* port = com->addMenu(QStringLiteral("&Port"));
    port->setObjectName(QStringLiteral("Port1"));
    N11 = addMenuItem(port, "N11", "&1", [this] { N11Click(); });
    N21 = addMenuItem(port, "N21", "&2", [this] { N21Click(); });
    N31 = addMenuItem(port, "N31", "&3", [this] { N31Click(); });
    N41 = addMenuItem(port, "N41", "&4", [this] { N41Click(); });
    for (QAction* a : {N11, N21, N31, N41}) a->setCheckable(true);
    return com;
}

void TMainFormBase::addSaveTraceItem(QMenu* com) {
    com->addSeparator();
    SaveTrace1 = addMenuItem(com, "SaveTrace1", "Save &Trace...", [this] { SaveTrace1Click(); });
}

void TMainFormBase::buildVersionItem() {
    QAction* version = menuBar()->addAction(QStringLiteral("&Version"));
    version->setObjectName(QStringLiteral("Version1"));
    connect(version, &QAction::triggered, this, [this] { Version1Click(); });
}

}  // namespace kvui
