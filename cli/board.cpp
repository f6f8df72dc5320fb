#include "cli/board.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace kvctl {
namespace {

constexpr int kRedrawMs = 100;
constexpr int kBarWidth = 30;

void put(std::FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

int terminalWidth(std::FILE* f) {
    winsize w{};
    if (::ioctl(::fileno(f), TIOCGWINSZ, &w) == 0 && w.ws_col > 20) return w.ws_col;
    return 80;
}

}  // namespace

PortBoard::PortBoard(std::FILE* out, const QStringList& ports)
    : out_(out), terminal_(::isatty(::fileno(out))), ports_(ports) {
    for (const QString& p : ports_) labelWidth_ = std::max(labelWidth_, int(p.size()));
    for (qsizetype i = 0; i < ports_.size(); ++i) texts_ << QStringLiteral("starting");
    pending_.setSingleShot(true);
    QObject::connect(&pending_, &QTimer::timeout, [this] { draw(); });
}

void PortBoard::progress(int i, const QString& phase, int percent) {
    if (!terminal_) {
        put(out_, QStringLiteral("%1: progress %2 %3\n").arg(ports_[i], phase).arg(percent));
        std::fflush(out_);
        return;
    }
    const int filled = std::clamp(percent, 0, 100) * kBarWidth / 100;
    texts_[i] = QStringLiteral("%1 [%2%3] %4 %")
                    .arg(phase, -8)
                    .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, ' '))
                    .arg(percent, 3);
    changed();
}

void PortBoard::state(int i, const QString& text) {
    if (!terminal_) {
        put(out_, ports_[i] + QStringLiteral(": ") + text + QLatin1Char('\n'));
        std::fflush(out_);
        return;
    }
    texts_[i] = text;
    changed();
}

void PortBoard::note(const QString& text) {
    if (!terminal_) {
        put(out_, text + QLatin1Char('\n'));
        std::fflush(out_);
        return;
    }
    notes_ << text;
    changed();
}

void PortBoard::flush() {
    if (terminal_ && (pending_.isActive() || !drawn_)) draw();
}

void PortBoard::changed() {
    // Sixteen bars that each move a step at a time would otherwise redraw hundreds of times
    // a second.
    if (pending_.isActive()) return;
    const qint64 since = drawn_ ? sinceDraw_.elapsed() : kRedrawMs;
    if (since >= kRedrawMs)
        draw();
    else
        pending_.start(int(kRedrawMs - since));
}

QString PortBoard::line(int i, int width) const {
    const QString text = ports_[i].leftJustified(labelWidth_) + QStringLiteral("  ") + texts_[i];
    // A line the terminal wraps would take two rows and the redraw would climb one short.
    return text.left(width - 1);
}

void PortBoard::draw() {
    pending_.stop();
    const int width = terminalWidth(out_);
    QString picture;
    // Back to the first port's line, and everything below it cleared.
    if (drawn_) picture += QStringLiteral("\x1b[%1A\r\x1b[J").arg(ports_.size());
    for (const QString& n : notes_) picture += n + QLatin1Char('\n');
    notes_.clear();
    for (int i = 0; i < int(ports_.size()); ++i) picture += line(i, width) + QLatin1Char('\n');
    put(out_, picture);
    std::fflush(out_);
    drawn_ = true;
    sinceDraw_.start();
}

}  // namespace kvctl
