#include "ui/serviceform.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/portsession.h"
#include "core/trace.h"
#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kvui {

int selectedItem(const QComboBox* box) {
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

TServiceForm::TServiceForm(QWidget* owner, TCustomCommX* comm)
    : QDialog(owner), comm_(comm), runner_(comm, platform::errorDisplay(this)) {
    runner_.setBusyChanged([this](bool busy) { setInputsAvailable(!busy); });
}

void TServiceForm::setInputsAvailable(bool available) {
    if (available) {
        inputs_.unlock();
        return;
    }
    // A status line the window writes itself stays readable; a list's own edit box goes
    // with its list.
    QList<QWidget*> inputs;
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (!e->isReadOnly() && !qobject_cast<QComboBox*>(e->parentWidget())) inputs << e;
    }
    for (QComboBox* c : findChildren<QComboBox*>()) inputs << c;
    inputs_.lock(inputs);
}

QPushButton* TServiceForm::makeButton(QWidget* parent, const QString& name,
                                      const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter in a box or list must not start a modem operation.
    b->setAutoDefault(false);
    return b;
}

QComboBox* TServiceForm::makeList(QWidget* parent, const QString& name, const QStringList& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    // Typing must never add items: a typed text that is no item means no selection.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    return c;
}

QLineEdit* TServiceForm::makeHexBox(QWidget* parent, const QString& name, const QString& text,
                                    int digits, const QString& accessibleName) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setAccessibleName(accessibleName);
    const int chars = digits + 2;
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(chars, QChar('W'))));
    return e;
}

QLabel* TServiceForm::makeLabel(QWidget* parent, int& counter, const QString& text,
                                QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("Label%1").arg(++counter));
    if (buddy) l->setBuddy(buddy);
    return l;
}

void TServiceForm::done(int result) {
    // The running handler still uses this window; close once it has returned.
    if (runner_.deferClose([this, result] { QDialog::done(result); })) return;
    QDialog::done(result);
}

void TServiceForm::runOperation(const QString& name, const std::function<void()>& operation) {
    runner_.run(name, operation);
}

bool TServiceForm::exchangeOk(kvcore::LinkResult r, kvcore::PortSession& session) {
    if (r == kvcore::LinkResult::Ok) return true;
    failureBox(kvcore::commErrorMessage(r));
    session.close();
    return false;
}

void TServiceForm::failureBox(const QString& text) {
    if (kvcore::ProtocolTrace* trace = runner_.trace()) trace->failed(text);
    platform::errorBox(text, this);
}

void TServiceForm::successBox(const QString& text) {
    noteSuccess(text);
    platform::infoBox(text, this);
}

void TServiceForm::noteSuccess(const QString& text) {
    if (kvcore::ProtocolTrace* trace = runner_.trace()) trace->succeeded(text);
}

}  // namespace kvui
