#pragma once
// Progress of a transfer on stderr: a bar when stderr is a terminal, otherwise one plain line
// per step, "progress PHASE PERCENT" (PHASE is Receive or Write, as the windows' log names
// it), which a program reading kvctl's stderr can parse.
#include <QString>
#include <cstdio>
#include <memory>

namespace kvctl {

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void progress(const QString& phase, int percent) = 0;
    // A transfer ended before its 100 %: the bar gives up its line.
    virtual void interrupted() {}
};

class PlainProgress final : public ProgressSink {
  public:
    explicit PlainProgress(std::FILE* out) : out_(out) {}
    void progress(const QString& phase, int percent) override;

  private:
    std::FILE* out_;
};

class BarProgress final : public ProgressSink {
  public:
    explicit BarProgress(std::FILE* out) : out_(out) {}
    void progress(const QString& phase, int percent) override;
    void interrupted() override;

  private:
    std::FILE* out_;
    bool open_ = false;  // a bar stands on the current line
};

// The bar on a terminal, the plain lines elsewhere.
std::unique_ptr<ProgressSink> progressFor(std::FILE* out);

}  // namespace kvctl
