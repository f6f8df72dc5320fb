#pragma once
// SG_ChData: the 16-row channel grid of both main windows. Row r shows channel r under the
// label "CH%2d"; columns 1..n hold the model's texts. Clicking a row, or moving the current
// row with the keyboard, reports the row.
#include <QList>
#include <QStringList>
#include <QTableWidget>

namespace kvui {

class ChannelGrid : public QTableWidget {
    Q_OBJECT
  public:
    // One column for each width (columns 1..n, in pixels); every cell empty. The grid
    // starts on channel 1.
    ChannelGrid(const QList<int>& widths, QWidget* parent);

    // The headings of columns 1..n and the channel labels (start-up).
    void showHeadings(const QStringList& headings);
    static QString rowLabel(int channel);  // "CH%2d"

    // Columns 1..n of a channel's row (1..16); missing texts leave their cells empty.
    void setRow(int channel, const QStringList& texts);
    void clearRow(int channel);
    void clearAll();
    QString cellText(int channel, int column) const;
    QStringList rowTexts(int channel) const;  // columns 1..n

  signals:
    void rowClicked();
};

}  // namespace kvui
