#pragma once
// TServiceForm: what the service windows (factory, CH SET) share. They borrow the main
// window's port, run one modem operation at a time on it, and put off any close until the
// running operation ends. Also the helpers their layouts are built from.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/commandrunner.h"
#include "core/transfer.h"
#include "ui/commandlock.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCustomCommX;
namespace kvcore {
class PortSession;
}

namespace kvui {

// Index of the item whose text is exactly the combo box's text, -1 when none matches (a
// typed text that is no item leaves the list without a selection).
int selectedItem(const QComboBox* box);

class TServiceForm : public QDialog {
    Q_OBJECT
  public:
    TServiceForm(QWidget* owner, TCustomCommX* comm);

    void done(int result) override;

  protected:
    // A button that Enter in a box or list does not press.
    static QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
    // An editable drop-down list; typing never adds items.
    static QComboBox* makeList(QWidget* parent, const QString& name, const QStringList& items);
    // A box for a hexadecimal value of `digits` digits, as wide as it needs.
    static QLineEdit* makeHexBox(QWidget* parent, const QString& name, const QString& text,
                                 int digits, const QString& accessibleName);
    // "Label<n>", n counted on from `counter`.
    static QLabel* makeLabel(QWidget* parent, int& counter, const QString& text,
                             QWidget* buddy = nullptr);

    // Runs a modem operation inside the error display, traced under `name` (its button's
    // caption): refused while any operation holds the port; a close asked for meanwhile
    // happens once it has ended.
    void runOperation(const QString& name, const std::function<void()>& operation);
    // Shows a failed exchange and closes the port; true when `r` is a success.
    bool exchangeOk(kvcore::LinkResult r, kvcore::PortSession& session);
    // The boxes of an operation; the text is its result in the trace. noteSuccess: a success
    // the window shows without a box.
    void failureBox(const QString& text);
    void successBox(const QString& text);
    void noteSuccess(const QString& text);

    TCustomCommX* comm_;

  private:
    // While an operation runs its boxes and lists are out of reach: what it reads from them
    // has gone out already, and what it fills in would overwrite anything typed meanwhile.
    // The buttons stay; another operation is refused.
    void setInputsAvailable(bool available);

    kvcore::CommandRunner runner_;
    CommandLock inputs_;
};

}  // namespace kvui
