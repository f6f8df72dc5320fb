#include "ui/channelgrid.h"

#include <QHeaderView>

#include "core/frequency.h"
#include "core/transfer.h"
#include "ui/controls.h"

namespace kvui {

ChannelGrid::ChannelGrid(const QList<int>& widths, QWidget* parent)
    : QTableWidget(kvcore::kChannels, static_cast<int>(widths.size()), parent) {
    setObjectName(QStringLiteral("SG_ChData"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setFixedHeight(24);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The headings carry leading blanks of their own, laid out for left alignment.
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(20);
    // The narrow columns were laid out for a narrower face: "TX Power" must fit in 50 pixels.
    QFont headings = horizontalHeader()->font();
    headings.setPixelSize(11);
    horizontalHeader()->setFont(headings);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { padding-left: 1px; padding-right: 1px; }"));
    for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, widths[c]);
    QPalette p = palette();
    p.setColor(QPalette::Base, infoTipColour());
    setPalette(p);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) setItem(r, c, new QTableWidgetItem);
    setCurrentCell(0, 0);  // the grid starts on channel 1, as the edit panel does
    connect(this, &QTableWidget::cellClicked, this, &ChannelGrid::rowClicked);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow) {
        if (row != previousRow && row >= 0) emit rowClicked();
    });
}

void ChannelGrid::showHeadings(const QStringList& headings) {
    for (int c = 0; c < columnCount() && c < headings.size(); ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem(headings[c]));
    QStringList labels;
    for (int r = 1; r <= rowCount(); ++r) labels << rowLabel(r);
    setVerticalHeaderLabels(labels);
    verticalHeader()->setFixedWidth(40);
}

QString ChannelGrid::rowLabel(int channel) {
    return kvcore::channelLabel(channel);
}

void ChannelGrid::setRow(int channel, const QStringList& texts) {
    for (int c = 0; c < columnCount(); ++c) item(channel - 1, c)->setText(texts.value(c));
}

void ChannelGrid::clearRow(int channel) {
    setRow(channel, {});
}

void ChannelGrid::clearAll() {
    for (int ch = 1; ch <= rowCount(); ++ch) clearRow(ch);
}

QString ChannelGrid::cellText(int channel, int column) const {
    const QTableWidgetItem* cell = item(channel - 1, column - 1);
    return cell ? cell->text() : QString();
}

QStringList ChannelGrid::rowTexts(int channel) const {
    QStringList texts;
    for (int c = 1; c <= columnCount(); ++c) texts << cellText(channel, c);
    return texts;
}

}  // namespace kvui
