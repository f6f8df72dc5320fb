#include "platform/radiogroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace platform {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 4, 2);
    layout->setSpacing(0);
    const int cols = std::max(1, columns);
    const int rows = (static_cast<int>(items.size()) + cols - 1) / cols;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        layout->addWidget(b, i % std::max(1, rows), i / std::max(1, rows));
    }
}

int TRadioGroup::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    const int n = count();
    if (index < 0 || n == 0) {
        // An exclusive group cannot uncheck its last button directly.
        group_->setExclusive(false);
        for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    group_->button(std::min(index, n - 1))->setChecked(true);
}

int TRadioGroup::count() const {
    return static_cast<int>(group_->buttons().size());
}

QString TRadioGroup::itemText(int index) const {
    QAbstractButton* b = group_->button(index);
    return b ? b->text() : QString();
}

}  // namespace platform
