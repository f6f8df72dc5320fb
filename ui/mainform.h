#pragma once
// TMainFormBase: what both tools' main windows do alike, driven by the model descriptor.
// It owns the port component, the channel grid, the result log, the title labels and the
// edit panel's channel and frequency boxes; it runs start-up, Set's checks, Clear, Default,
// the Port menu and port file, the file commands, Print, Receive, Transmit, the version box
// and Exit, one modem command at a time. Each model's TMainForm lays out its own controls
// and answers the hooks below with its own settings block, encodings and texts.
#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "core/commandrunner.h"
#include "core/model.h"
#include "core/programmer.h"
#include "core/tracestore.h"
#include "ui/commandlock.h"

class QAction;
class QComboBox;
class QDateTime;
class QLabel;
class QLineEdit;
class QMenu;
class TCommX;
namespace platform {
class TCanvas;
class TOpenDialog;
class TPrinterSetupDialog;
class TSaveDialog;
}  // namespace platform

namespace kvui {

class ChannelGrid;
class ResultLog;

class TMainFormBase : public QMainWindow {
    Q_OBJECT
  public:
    ~TMainFormBase() override;

    // Handlers, named after the component and the event.
    void FormCreate();
    void SG_ChDataClick();
    void B_ClearClick();
    void Default1Click();
    void OPEN1Click();
    void SaveAs1Click();
    void Save1Click();
    void PrinterSet1Click();
    void Print1Click();
    void ReceivePCKV1Click();
    void TransmitPCKV1Click();
    // Saves the last modem command's trace where the user chooses.
    void SaveTrace1Click();
    void N11Click() { selectPort(1); }
    void N21Click() { selectPort(2); }
    void N31Click() { selectPort(3); }
    void N41Click() { selectPort(4); }
    void Version1Click();
    void Exit1Click();

    void AddResult(const QString& text);
    void ClearResult();
    // Text of grid cell (row 1..16, column 1..n).
    QString cellText(int row, int column) const;
    // The window caption: the model's prefix + FileName.
    void showFileNameInCaption();
    const kvcore::ModelDescriptor& model() const { return model_; }

    // State owned by the window for the whole run.
    int CurrentCh = 1;
    QString FileName;
    kvcore::FrqLimits Limits{};
    TCommX* CommX1 = nullptr;

    // Controls (object names are the component names). The model's layout creates the edit
    // panel's boxes and the Factory item; the rest exists from construction on.
    ChannelGrid* SG_ChData = nullptr;
    ResultLog* LB_Result = nullptr;
    QLabel* Label8 = nullptr;   // the model's title, blue
    QLabel* Label9 = nullptr;   // "Programming Tool"
    QLabel* Label10 = nullptr;  // the maker
    QLabel* Label11 = nullptr;  // the maker's location
    QLabel* Label14 = nullptr;  // production mode
    QLineEdit* E_ChNo = nullptr;
    QLineEdit* E_RxFrq = nullptr;
    QLineEdit* E_TxFrq = nullptr;
    QAction* OPEN1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Default1 = nullptr;
    QAction* Factory1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QAction* N41 = nullptr;
    QAction* SaveTrace1 = nullptr;
    platform::TOpenDialog* OpenDialog1 = nullptr;
    platform::TSaveDialog* SaveDialog1 = nullptr;
    platform::TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;

  protected:
    TMainFormBase(const kvcore::ModelDescriptor& model, QWidget* parent);

    // ---- What each model answers ----------------------------------------------------
    // The edit panel's drop-down lists of a channel, in the order of PanelValues::indexes.
    virtual QList<QComboBox*> channelBoxes() const = 0;
    struct PanelValues {
        double rx, tx;
        QList<int> indexes;
    };
    virtual PanelValues panelValues(int ch) const = 0;
    // Channel `ch` of the table becomes the empty channel.
    virtual void clearChannel(int ch) = 0;
    // The settings block and the set-mode controls take their defaults.
    virtual void applyDefaults() = 0;
    // The settings block as a settings file holds it, and back.
    virtual QByteArray settingsBlock() const = 0;
    virtual void takeSettingsBlock(const QByteArray& block) = 0;
    // The grid rows and the set-mode controls from the block just opened.
    virtual void showOpenedBlock() = 0;
    // The item indexes of the set-mode controls into the block (before a save or print).
    virtual void copyControlsToBlock() = 0;
    virtual void drawSettingList(platform::TCanvas& canvas, const QDateTime& now) const = 0;
    // The model's exchanges on CommX1.
    virtual std::unique_ptr<kvcore::MemoryProgrammer> programmer() = 0;
    // A memory read from the modem into the table, grid, set-mode controls and edit panel.
    virtual void showMemory(const kvcore::MemoryImage& image) = 0;
    // The message of the first reason not to write, empty when a write may go out.
    virtual QString firstSettingError() const = 0;
    // The memory image a write sends, from the table and the set-mode controls.
    virtual kvcore::MemoryImage writeImage() const = 0;
    // Marks the Port item of `port` (1..4), none for any other value.
    virtual void markPort(int port);

    // ---- Pieces for the model's layout and handlers ---------------------------------
    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption,
                         const std::function<void()>& handler);
    QMenu* addMenu(const char* name, const char* caption);
    // The File menu, and Edit and COM with the items both tools have; the model adds its own.
    void buildFileMenu();
    QMenu* buildEditMenu();
    QMenu* buildComMenu();
    // "Save Trace..." after a separator: the last item of the COM menu.
    void addSaveTraceItem(QMenu* com);
    void buildVersionItem();

    QList<QWidget*> editControls() const;
    void setEditFieldsColour(const QColor& colour);
    void clearEditPanel();
    void loadEditPanel(int ch);
    // Set's checks: every field of the edit panel, each faulty one turning red; true when
    // all are good, with the two frequencies in `rx` and `tx`.
    bool checkEditPanel(double& rx, double& tx);

    // Runs a modem command, traced under `name`: refused while another one runs; a close
    // asked for meanwhile happens when it has ended.
    void runModemCommand(const QString& name, const std::function<void()>& command);
    // The boxes that end a modem command; the text is the result in its trace.
    void failureBox(const QString& text);
    void successBox(const QString& text);
    // False, with the refusal shown, while a modem command runs.
    bool mayOpenServiceWindow();
    // Production mode is switched on by the model's marker file in the current folder.
    bool productionMarkerPresent() const;
    void reportCommError(kvcore::LinkResult result);

    void closeEvent(QCloseEvent* event) override;

  private:
    void selectPort(int port);
    void readPortFile();
    void showReceiveProgress(int percent);
    // Receive after Default: true when the memory has reached the window.
    bool receiveMemory();
    // While a modem command runs, nothing may change the table, the set-mode controls or
    // FileName under it: the grid, the edit panel, the set-mode controls, Open, Save As and
    // Default are out of reach. Save and Print act on the table as it stands; the commands
    // that would start another transfer stay and are refused.
    void setEditingAvailable(bool available);
    // Asked before a settings file longer than the block is opened.
    QString longFileQuestion(qint64 length) const;

    // What a failed Receive gives back: the table, the grid, the edit panel, CurrentCh and
    // the set-mode controls as they stood before the command.
    struct WindowState;
    WindowState saveWindowState();
    void restoreWindowState(const WindowState& state);

    const kvcore::ModelDescriptor& model_;
    kvcore::CommandRunner runner_;
    kvcore::TraceStore traces_;
    CommandLock editing_;
};

}  // namespace kvui
