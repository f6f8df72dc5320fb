#pragma once
// The ports of a run on several ports, on stderr. On a terminal: one line per port (its bar
// while a transfer runs, else what it does), redrawn in place with ANSI escapes, at most ten
// times a second; messages scroll above the lines. Elsewhere: every change is one plain
// line that begins with the port, "COM2: progress Write 50", for a log or a program.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace kvctl {

class PortBoard {
  public:
    PortBoard(std::FILE* out, const QStringList& ports);
    PortBoard(const PortBoard&) = delete;
    PortBoard& operator=(const PortBoard&) = delete;

    bool onTerminal() const { return terminal_; }
    // Port `i` transfers: PHASE is Receive or Write, as the one-port progress names it.
    void progress(int i, const QString& phase, int percent);
    // What port `i` does or how it ended, in place of its bar.
    void state(int i, const QString& text);
    // A message above the ports' lines (a plain line elsewhere).
    void note(const QString& text);
    // Draws what is pending now, as the last picture before the program prints its results.
    void flush();

  private:
    void changed();
    void draw();
    QString line(int i, int width) const;

    std::FILE* out_;
    bool terminal_;
    QStringList ports_;
    int labelWidth_ = 0;
    QStringList texts_;  // each port's line after its name
    QStringList notes_;  // messages not drawn yet
    bool drawn_ = false;
    QElapsedTimer sinceDraw_;
    QTimer pending_;
};

}  // namespace kvctl
