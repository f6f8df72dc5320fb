#include "ui/controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace kvui {

QColor infoTipColour() {
    return {255, 255, 225};
}

QColor aquaColour() {
    return {0, 255, 255};
}

QFont serifFont(int pixels, bool italic) {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(pixels);
    f.setItalic(italic);
    return f;
}

QLabel* label(const QString& text, QWidget* parent, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QComboBox* comboBox(const char* name, const QStringList& items, QWidget* parent) {
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QString::fromLatin1(name));
    cb->addItems(items);
    cb->setCurrentIndex(-1);
    return cb;
}

void setComboIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
}

QLineEdit* makeChannelNumberBox(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QStringLiteral("E_ChNo"));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setMaxLength(2);
    QFont big = e->font();
    big.setPixelSize(24);
    e->setFont(big);
    setBackground(e, aquaColour());
    return e;
}

namespace {

// Limits what the user types, not what the program shows: QLineEdit::maxLength would cut a
// longer value from a modem or a file ("1000.0000") as it is shown. The user may edit such
// a text but not make it longer than it was shown.
class TypedLengthLimit : public QValidator {
  public:
    TypedLengthLimit(QLineEdit* edit, int limit)
        : QValidator(edit), edit_(edit), limit_(limit), allowed_(limit) {}
    State validate(QString& input, int&) const override {
        // setText empties the undo history before it checks the new text; every edit of
        // the user's is in that history by the time it is checked.
        if (!edit_->isUndoAvailable()) {
            allowed_ = std::max(limit_, input.size());
            return Acceptable;
        }
        return input.size() <= allowed_ ? Acceptable : Invalid;
    }

  private:
    const QLineEdit* edit_;
    const qsizetype limit_;
    mutable qsizetype allowed_;  // the limit, or the length of the text the program set
};

}  // namespace

QLineEdit* makeFrequencyBox(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setValidator(new TypedLengthLimit(e, 8));
    return e;
}

}  // namespace kvui
