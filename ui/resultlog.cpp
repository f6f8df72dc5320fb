#include "ui/resultlog.h"

#include "ui/controls.h"

namespace kvui {

ResultLog::ResultLog(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("LB_Result"));
    setFocusPolicy(Qt::NoFocus);
    QPalette p = palette();
    p.setColor(QPalette::Base, infoTipColour());
    setPalette(p);
    setUniformItemSizes(true);
}

void ResultLog::AddResult(const QString& text) {
    addItem(text);
    if (added_ > 4)
        scrollToItem(item(count() - 1), QAbstractItemView::PositionAtTop);
    else
        scrollToTop();
    ++added_;
}

void ResultLog::ClearResult() {
    clear();
    added_ = 0;
}

}  // namespace kvui
