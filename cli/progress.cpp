#include "cli/progress.h"

#include <unistd.h>

namespace kvctl {

void PlainProgress::progress(const QString& phase, int percent) {
    std::fprintf(out_, "progress %s %d\n", qPrintable(phase), percent);
    std::fflush(out_);
}

void BarProgress::progress(const QString& phase, int percent) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(out_, "\r%-8s [%s%s] %3d %%", qPrintable(phase),
                 QByteArray(filled, '#').constData(), QByteArray(kWidth - filled, ' ').constData(),
                 percent);
    open_ = percent < 100;
    if (!open_) std::fputc('\n', out_);
    std::fflush(out_);
}

void BarProgress::interrupted() {
    if (open_) std::fputc('\n', out_);
    open_ = false;
    std::fflush(out_);
}

std::unique_ptr<ProgressSink> progressFor(std::FILE* out) {
    if (::isatty(::fileno(out))) return std::make_unique<BarProgress>(out);
    return std::make_unique<PlainProgress>(out);
}

}  // namespace kvctl
