#pragma once
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace platform {

// A captioned group of exclusive radio buttons with an item index: -1 = none selected,
// values below -1 become -1, values past the end select the last item.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int ItemIndex() const;
    void setItemIndex(int index);
    int count() const;
    QString itemText(int index) const;

  private:
    QButtonGroup* group_;
};

}  // namespace platform
