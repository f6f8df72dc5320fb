#include "platform/printercanvas.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace platform {

TPrinterCanvas::TPrinterCanvas(QPrinter& printer) : TPaintCanvas(printer), printer_(printer) {}

TPrinterCanvas::~TPrinterCanvas() {
    abandonBegunDocument();
}

void TPrinterCanvas::ensureAvailable() {
    // Without any installed printer Qt quietly turns the printer into a PDF writer with no
    // file name; that is "no printer" to the user, not a job that vanishes.
    const bool available = printer_.outputFormat() == QPrinter::PdfFormat
                               ? !printer_.outputFileName().isEmpty()
                               : !QPrinterInfo::availablePrinters().isEmpty() && printer_.isValid();
    if (!available) throw EPrintError("No printer is available.");
}

std::string TPrinterCanvas::refusal() const {
    if (printer_.outputFormat() == QPrinter::PdfFormat)
        return "The PDF file could not be written: " + printer_.outputFileName().toStdString();
    return "The printer refused the job.";
}

bool TPrinterCanvas::jobFailed() const {
    return printer_.printerState() == QPrinter::Error;
}

void TPrinterCanvas::abandon() {
    printer_.abort();
}

int TPrinterCanvas::resolution() const {
    return printer_.resolution();
}

}  // namespace platform
