#pragma once
// TForm1: the KV938R/935R/931R factory window. Reads and writes the calibration values as
// hexadecimal boxes and erases the modem's whole memory, on the main window's port.
#include <array>

#include "model_b/programmer.h"
#include "ui/serviceform.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TCustomCommX;

namespace kvb {

class TForm1 : public kvui::TServiceForm {
    Q_OBJECT
  public:
    TForm1(QWidget* owner, TCustomCommX* comm);

    void Button2Click();  // READ
    void Button3Click();  // WRITE
    void Button4Click();  // End
    void Button5Click();  // EEPROM INIT and ALL F CLR

    QPushButton* Button1 = nullptr;  // "ALL F CLR"
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;  // "EEPROM INIT"
    // One-byte boxes: TX POWER (Edit1..Edit4) and TCXO (Edit5..Edit8).
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    // Two-byte boxes: VCO R and VCO T.
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLabel* Label11 = nullptr;  // "TX POWER"
    QLabel* Label12 = nullptr;  // "TCXO"

  private:
    // A box and the calibration bytes it shows, first byte high.
    struct CalibrationBox {
        QLineEdit* edit;
        int firstByte;
        int bytes;  // 1 or 2
    };

    void buildWindow();
    QWidget* buildValues();
    QWidget* buildErase();
    // In the order WRITE reads them.
    std::array<CalibrationBox, 10> calibrationBoxes() const;
    void showCalibration(const Calibration& values);
};

}  // namespace kvb
