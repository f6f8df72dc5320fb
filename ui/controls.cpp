#include "ui/controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

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

QLineEdit* makeFrequencyBox(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(8);
    return e;
}

}  // namespace kvui
