#pragma once
// LB_Result: the result log of both main windows. Every step of a command is a line; once
// five lines have been added, each new one is scrolled to the top of the view as far as the
// list allows, before that the list shows its first line.
#include <QListWidget>

namespace kvui {

class ResultLog : public QListWidget {
    Q_OBJECT
  public:
    explicit ResultLog(QWidget* parent);

    void AddResult(const QString& text);
    // Empties the log and starts the count of added lines again.
    void ClearResult();
    // Lines added since the log was last emptied.
    int added() const { return added_; }

  private:
    int added_ = 0;
};

}  // namespace kvui
