#pragma once
// TMainForm: the kvprog_a main window. On the shared main window it lays out the KV417R's
// edit panel (with the squelch level), its thirteen set-mode controls and the CH SET item,
// and answers with the KV417R's settings block, encodings and texts.
#include "model_a/chdata.h"
#include "ui/mainform.h"

class QComboBox;
namespace platform {
class TRadioGroup;
}

namespace kva {

class TMainForm : public kvui::TMainFormBase {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers of this model's own controls and items.
    void B_SetClick();
    void Factory1Click();
    void CHSET1Click();

    // The set-mode controls as item indexes (block order), and back.
    TSetMode controlSetMode() const;
    void setControlSetMode(const TSetMode& m);

    // The settings block: the channel table and the set-mode copy used for files.
    TSetData SetData{};

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

  private:
    // Layout (main_layout.cpp).
    void buildWindow();
    void buildMenus();
    QWidget* buildEditPanel(QWidget* parent);
    QWidget* buildSetModePanel(QWidget* parent);

    void showChannelRow(int ch, GridWriter writer);
};

}  // namespace kva
