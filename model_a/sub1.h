#pragma once
// TSubForm1: the KV417R factory window. Reads and writes the calibration block as hex boxes,
// sends TX power and SQL set commands, switches channels and erases the modem's EEPROM.
#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "model_a/link.h"
#include "platform/commandlock.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class TCustomCommX;

namespace kva {

// Index of the item whose text is exactly the combo box's text, -1 when none matches (a
// typed text that is no item leaves the list without a selection).
int selectedItem(const QComboBox* box);

// What the factory and CH SET windows share: they borrow the main window's port, run one
// modem operation at a time on it, and put off any close until the running operation ends.
class TServiceForm : public QDialog {
    Q_OBJECT
  public:
    TServiceForm(QWidget* owner, TCustomCommX* comm);

    void done(int result) override;

  protected:
    static QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
    // An editable drop-down list.
    static QComboBox* makeList(QWidget* parent, const QString& name, const QStringList& items);

    // Runs a modem operation inside the error display: refused while any operation holds the
    // port; a close asked for meanwhile happens once it has ended.
    void runOperation(const std::function<void()>& operation);
    // Shows a failed exchange and closes the port; true when `r` is a success.
    bool exchangeOk(LinkResult r, platform::PortSession& session);

    TCustomCommX* comm_;

  private:
    int running_ = 0;
    bool closePending_ = false;
    int pendingResult_ = QDialog::Rejected;
};

class TSubForm1 : public TServiceForm {
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
    static constexpr int kBlockSize = 30;
    static constexpr uint8_t kFirstWord = 0x70;
    using Block = std::array<uint8_t, kBlockSize>;

    void buildWindow();
    QWidget* buildUpperPart();
    QWidget* buildLowerPart();
    std::array<BlockBox, 18> blockBoxes() const;
    void showBlock(const Block& block);
    void setStatus(const QString& text, bool success);
    void channelClick(int channel);
};

}  // namespace kva
