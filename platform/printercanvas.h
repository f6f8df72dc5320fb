#pragma once
// The printing canvas on a QPrinter: the paint canvas with the printer's own checks (no
// printer installed, a job refused) and its abort.
#include "platform/canvas.h"

class QPrinter;

namespace platform {

class TPrinterCanvas : public TPaintCanvas {
  public:
    explicit TPrinterCanvas(QPrinter& printer);
    ~TPrinterCanvas() override;

  protected:
    void ensureAvailable() override;
    std::string refusal() const override;
    bool jobFailed() const override;
    void abandon() override;
    int resolution() const override;

  private:
    QPrinter& printer_;
};

}  // namespace platform
