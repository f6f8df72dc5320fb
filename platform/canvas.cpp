#include "platform/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace platform {
namespace {

// Without any installed printer Qt quietly turns the printer into a PDF writer with no
// file name; that is "no printer" to the user, not a job that vanishes.
void ensurePrinterAvailable(const QPrinter& printer) {
    const bool available = printer.outputFormat() == QPrinter::PdfFormat
                               ? !printer.outputFileName().isEmpty()
                               : !QPrinterInfo::availablePrinters().isEmpty() && printer.isValid();
    if (!available) throw EPrintError("No printer is available.");
}

std::string refusal(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return "The PDF file could not be written: " + printer.outputFileName().toStdString();
    return "The printer refused the job.";
}

}  // namespace

TPrinterCanvas::TPrinterCanvas(QPrinter& printer) : printer_(printer) {}

TPrinterCanvas::~TPrinterCanvas() {
    if (!painter_) return;
    if (painter_->isActive()) {
        printer_.abort();
        painter_->end();
    }
}

QPainter& TPrinterCanvas::painter() {
    if (!painter_ || !painter_->isActive()) throw EPrintError("No print document has been begun.");
    return *painter_;
}

void TPrinterCanvas::beginDoc() {
    if (painter_) throw EPrintError("A print document has already been begun.");
    ensurePrinterAvailable(printer_);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        painter_.reset();
        throw EPrintError(refusal(printer_));
    }
}

void TPrinterCanvas::endDoc() {
    QPainter& p = painter();
    const bool ended = p.end();
    painter_.reset();
    if (!ended || printer_.printerState() == QPrinter::Error) throw EPrintError(refusal(printer_));
}

void TPrinterCanvas::setFont(const QString& name, int pointSize) {
    QFont font(name);
    font.setPointSize(pointSize);
    painter().setFont(font);
}

void TPrinterCanvas::setFontColour(const QColor& colour) {
    fontColour_ = colour;
}

void TPrinterCanvas::setPenColour(const QColor& colour) {
    penColour_ = colour;
}

int TPrinterCanvas::textWidth(const QString& text) {
    return painter().fontMetrics().horizontalAdvance(text);
}

int TPrinterCanvas::textHeight(const QString&) {
    return painter().fontMetrics().height();
}

void TPrinterCanvas::textOut(int x, int y, const QString& text) {
    QPainter& p = painter();
    p.setPen(fontColour_);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void TPrinterCanvas::moveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TPrinterCanvas::lineTo(int x, int y) {
    QPainter& p = painter();
    // A one-dot line all but vanishes at printer resolutions; about a third of a point shows.
    p.setPen(QPen(penColour_, std::max(1, printer_.resolution() / 200)));
    p.drawLine(penX_, penY_, x, y);
    moveTo(x, y);
}

void TRecordingCanvas::beginDoc() {
    if (documentsBegun != documentsEnded)
        throw EPrintError("A print document has already been begun.");
    ++documentsBegun;
}

void TRecordingCanvas::endDoc() {
    if (documentsBegun == documentsEnded) throw EPrintError("No print document has been begun.");
    ++documentsEnded;
}

void TRecordingCanvas::setFont(const QString& name, int pointSize) {
    font_ = name;
    pointSize_ = pointSize;
}

void TRecordingCanvas::textOut(int x, int y, const QString& text) {
    if (documentsBegun == documentsEnded) throw EPrintError("No print document has been begun.");
    texts.push_back({x, y, text, font_, pointSize_, fontColour_});
}

void TRecordingCanvas::moveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TRecordingCanvas::lineTo(int x, int y) {
    if (documentsBegun == documentsEnded) throw EPrintError("No print document has been begun.");
    lines.push_back({penX_, penY_, x, y, penColour_});
    moveTo(x, y);
}

}  // namespace platform
