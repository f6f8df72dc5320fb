#pragma once
// TMainForm: the kvprog_a main window. Channel grid, edit panel, set-mode controls, result log,
// and the menus that read and write the modem, keep settings files and print them.
#include <QMainWindow>

#include "model_a/chdata.h"
#include "model_a/link.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;
class TCommX;
namespace platform {
class TRadioGroup;
class TOpenDialog;
class TSaveDialog;
class TPrinterSetupDialog;
}  // namespace platform

namespace kva {

class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers, named after the component and the event.
    void FormCreate();
    void SG_ChDataClick();
    void B_SetClick();
    void B_ClearClick();
    void Default1Click();
    void OPEN1Click();
    void SaveAs1Click();
    void Save1Click();
    void PrinterSet1Click();
    void Print1Click();
    void Exit1Click();
    void Factory1Click();
    void CHSET1Click();
    void ReceivePCKV1Click();
    void TransmitPCKV1Click();
    void N11Click() { selectPort(1); }
    void N21Click() { selectPort(2); }
    void N31Click() { selectPort(3); }
    void N41Click() { selectPort(4); }
    void Version1Click();

    void AddResult(const QString& text);
    void ClearResult();

    // The set-mode controls as item indexes (block order), and back.
    TSetMode controlSetMode() const;
    void setControlSetMode(const TSetMode& m);
    // Text of grid cell (row 1..16, column 1..7).
    QString cellText(int row, int column) const;
    // The window caption: "KV417R - " + FileName.
    void showFileNameInCaption();

    // State owned by the window for the whole run.
    TSetData SetData{};
    int CurrentCh = 1;
    QString FileName;
    FrqLimits Limits{};
    int resultCount = 0;
    TCommX* CommX1 = nullptr;

    // Controls (object names are the component names).
    QTableWidget* SG_ChData = nullptr;
    QListWidget* LB_Result = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* E_ChNo = nullptr;
    QLineEdit* E_RxFrq = nullptr;
    QLineEdit* E_TxFrq = nullptr;
    QComboBox* CB_Power = nullptr;
    QComboBox* CB_BR = nullptr;
    QComboBox* CB_DA = nullptr;
    QComboBox* CB_MBR = nullptr;
    QComboBox* CB_SQL = nullptr;
    platform::TRadioGroup* RG_Data = nullptr;
    platform::TRadioGroup* RG_Busy = nullptr;
    platform::TRadioGroup* RG_FSQC = nullptr;
    platform::TRadioGroup* RG_EXT = nullptr;
    platform::TRadioGroup* RG_VCO = nullptr;
    platform::TRadioGroup* RG_SB = nullptr;
    platform::TRadioGroup* RG_SP = nullptr;
    platform::TRadioGroup* RG_ST = nullptr;
    platform::TRadioGroup* RG_SD = nullptr;
    platform::TRadioGroup* RG_RMT = nullptr;
    QComboBox* CB_Tot = nullptr;
    QComboBox* CB_Save = nullptr;
    QComboBox* CB_SL = nullptr;
    QAction* Factory1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QAction* N41 = nullptr;

    platform::TOpenDialog* OpenDialog1 = nullptr;
    platform::TSaveDialog* SaveDialog1 = nullptr;
    platform::TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void buildMenus();
    QWidget* buildEditPanel(QWidget* parent);
    QWidget* buildSetModePanel(QWidget* parent);
    void selectPort(int port);
    // Marks item "&k" of the Port menu for port k, none for any other value.
    void markPort(int port);
    void readPortFile();
    void setEditFieldsColour(const QColor& colour);
    void clearEditPanel();
    void showChannelRow(int ch, GridWriter writer);
    void loadEditPanel(int ch);
    // Runs a modem command: refused while another one runs; a close asked for meanwhile
    // happens when it has ended.
    void runModemCommand(const std::function<void()>& command);
    bool modemCommandRunning() const;
    // Production mode is switched on by the marker file in the current folder.
    static bool productionMarkerPresent();
    void reportCommError(LinkResult result);
    // The message of the first set-mode control without a selection, or of a table without
    // any channel that has both frequencies (normal mode); empty when a write may go out.
    QString firstSettingError() const;

    bool closePending_ = false;
};

}  // namespace kva
