#pragma once
// TSubForm2: the KV417R CH SET window. Reads which channel the modem is set to and that
// channel's squelch level, and sets both.
#include "ui/serviceform.h"

class QComboBox;
class QPushButton;
class TCustomCommX;

namespace kva {

class TSubForm2 : public kvui::TServiceForm {
    Q_OBJECT
  public:
    TSubForm2(QWidget* owner, TCustomCommX* comm);

    void FormCreate();
    void Button1Click();  // End
    void Button2Click();  // CH Read
    void Button3Click();  // CH Write

    QComboBox* CB_CH = nullptr;   // "1".."16": position = channel counted from 0
    QComboBox* CB_SQL = nullptr;  // "-----", "L1".."L9": position = squelch code
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

  private:
    void buildWindow();
};

}  // namespace kva
