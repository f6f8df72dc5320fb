#pragma once
// TMainForm: the kvprog_b main window. On the shared main window it lays out the
// KV938R/935R/931R's edit panel, its seven set-mode controls and the Japanese production
// label, and answers with the model's settings block, frequency codes and texts. Set also
// refuses a frequency that no reference step divides, since the modem could not hold it.
#include <QDate>
#include <functional>

#include "model_b/chdata.h"
#include "ui/mainform.h"

class QComboBox;
class QPushButton;
namespace platform {
class TRadioGroup;
}

namespace kvb {

class TMainForm : public kvui::TMainFormBase {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers of this model's own controls and items.
    void B_SetClick();
    void Factory1Click();

    // The set-mode controls as item indexes (block order), and back: a radio-group value
    // beyond its items selects the last item, a drop-down value beyond its items none.
    TSetMode controlSetMode() const;
    void setControlSetMode(const TSetMode& m);

    // The settings block: the channel table and the set-mode copy used for files.
    TSetData SetData{};
    // The day a write stamps into the modem's memory; tests put another day here.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    QComboBox* CB_Power = nullptr;
    QComboBox* CB_BR = nullptr;
    QComboBox* CB_DA = nullptr;
    QComboBox* CB_MBR = nullptr;
    QPushButton* B_Set = nullptr;
    QPushButton* B_Clear = nullptr;
    platform::TRadioGroup* RG_Data = nullptr;
    platform::TRadioGroup* RG_Busy = nullptr;
    platform::TRadioGroup* RG_FSQC = nullptr;
    platform::TRadioGroup* RG_SB = nullptr;
    platform::TRadioGroup* RG_SP = nullptr;
    QComboBox* CB_Tot = nullptr;
    QComboBox* CB_Save = nullptr;

  protected:
    QList<QComboBox*> channelBoxes() const override;
    PanelValues panelValues(int ch) const override;
    void clearChannel(int ch) override;
    void applyDefaults() override;
    QByteArray settingsBlock() const override;
    void takeSettingsBlock(const QByteArray& block) override;
    void showOpenedBlock() override;
    void copyControlsToBlock() override;
    void drawSettingList(platform::TCanvas& canvas, const QDateTime& now) const override;
    std::unique_ptr<kvcore::MemoryProgrammer> programmer() override;
    void showMemory(const kvcore::MemoryImage& image) override;
    QString firstSettingError() const override;
    kvcore::MemoryImage writeImage() const override;
    // The chosen port's item reads "[&k]", the others "&k".
    void markPort(int port) override;

  private:
    // Layout (main_layout.cpp).
    void buildWindow();
    void buildMenus();
    QWidget* buildEditPanel(QWidget* parent);
    QWidget* buildSetModePanel(QWidget* parent);

    void showChannelRow(int ch, GridWriter writer);
};

}  // namespace kvb
