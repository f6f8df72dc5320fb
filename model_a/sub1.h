#pragma once
// TSubForm1: the KV417R factory window. Reads and writes the calibration block as hex boxes,
// sends TX power and SQL set commands, switches channels and erases the modem's EEPROM.
#include <QString>
#include <array>
#include <cstdint>

#include "model_a/memmap.h"
#include "ui/serviceform.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class TCustomCommX;

namespace kva {

class TSubForm1 : public kvui::TServiceForm {
    Q_OBJECT
  public:
    TSubForm1(QWidget* owner, TCustomCommX* comm);

    void FormCreate();
    void Button2Click();  // READ
    void Button3Click();  // WRITE
    void Button4Click();  // End
    void Button5Click();  // EEPROM INIT
    void Button6Click();  // TX POW SET
    void Button7Click();  // SQL SET
    void Button10Click() { channelClick(0); }
    void Button11Click() { channelClick(1); }
    void Button12Click() { channelClick(2); }
    void Button13Click() { channelClick(3); }
    void Button14Click() { channelClick(4); }
    void Button15Click() { channelClick(5); }
    void Button16Click() { channelClick(6); }
    void Button17Click() { channelClick(7); }
    void Button18Click() { channelClick(8); }

    // Calibration boxes (two-byte boxes: TX power L1..L5 and the shift words; one-byte: SQL).
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLineEdit* Edit16 = nullptr;
    QLineEdit* Edit17 = nullptr;  // TX power value to send
    QLineEdit* Edit18 = nullptr;  // status line
    QLineEdit* Edit19 = nullptr;
    QLineEdit* Edit20 = nullptr;
    QComboBox* CB_TXP = nullptr;
    QComboBox* CB_SQL = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    std::array<QPushButton*, 9> channelButtons{};  // Button10..Button18, "CH1".."CH9"
    QFrame* Shape1 = nullptr;
    QFrame* Shape2 = nullptr;

  private:
    // A box of the calibration block and the bytes it covers.
    struct BlockBox {
        QLineEdit* edit;
        int firstByte;
        int width;  // 1 or 2 bytes
    };
    using Block = std::array<uint8_t, kCalibrationSize>;

    void buildWindow();
    QWidget* buildUpperPart();
    QWidget* buildLowerPart();
    std::array<BlockBox, 18> blockBoxes() const;
    void showBlock(const Block& block);
    void setStatus(const QString& text, bool success);
    void channelClick(int channel);
};

}  // namespace kva
