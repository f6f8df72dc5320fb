#pragma once
// Small pieces both tools' windows are built from: fonts, colours, labels, drop-down lists
// and the edit panel's boxes.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace kvui {

QColor infoTipColour();
QColor aquaColour();

// The serif face of the titles, in pixels.
QFont serifFont(int pixels, bool italic);

// A label at (x, y), sized to its text.
QLabel* label(const QString& text, QWidget* parent, int x, int y);

// A drop-down list without a selection.
QComboBox* comboBox(const char* name, const QStringList& items, QWidget* parent);
// An index outside the items leaves the box without a selection.
void setComboIndex(QComboBox* box, int index);

// The background of an edit box or a drop-down list.
void setBackground(QWidget* w, const QColor& colour);

// E_ChNo: read-only, not a tab stop, aqua, a large font, at most two characters.
QLineEdit* makeChannelNumberBox(QWidget* parent);
// E_RxFrq or E_TxFrq: at most eight characters typed; a longer value is still shown whole.
QLineEdit* makeFrequencyBox(const char* name, QWidget* parent);

}  // namespace kvui
