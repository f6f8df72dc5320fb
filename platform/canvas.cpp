#include "platform/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace platform {

TPaintCanvas::TPaintCanvas(QPagedPaintDevice& device) : device_(device) {}

TPaintCanvas::~TPaintCanvas() {
    abandonBegunDocument();
}

void TPaintCanvas::abandonBegunDocument() {
    if (!painter_) return;
    if (painter_->isActive()) {
        abandon();
        painter_->end();
    }
    painter_.reset();
}

std::string TPaintCanvas::refusal() const {
    return "The page could not be drawn.";
}

int TPaintCanvas::resolution() const {
    return device_.logicalDpiX();
}

QPainter& TPaintCanvas::painter() {
    if (!painter_ || !painter_->isActive()) throw EPrintError("No print document has been begun.");
    return *painter_;
}

void TPaintCanvas::beginDoc() {
    if (painter_) throw EPrintError("A print document has already been begun.");
    ensureAvailable();
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&device_)) {
        painter_.reset();
        throw EPrintError(refusal());
    }
}

void TPaintCanvas::endDoc() {
    QPainter& p = painter();
    const bool ended = p.end();
    painter_.reset();
    if (!ended || jobFailed()) throw EPrintError(refusal());
}

void TPaintCanvas::setFont(const QString& name, int pointSize) {
    QFont font(name);
    font.setPointSize(pointSize);
    painter().setFont(font);
}

void TPaintCanvas::setFontColour(const QColor& colour) {
    fontColour_ = colour;
}

void TPaintCanvas::setPenColour(const QColor& colour) {
    penColour_ = colour;
}

int TPaintCanvas::textWidth(const QString& text) {
    return painter().fontMetrics().horizontalAdvance(text);
}

int TPaintCanvas::textHeight(const QString&) {
    return painter().fontMetrics().height();
}

void TPaintCanvas::textOut(int x, int y, const QString& text) {
    QPainter& p = painter();
    p.setPen(fontColour_);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void TPaintCanvas::moveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TPaintCanvas::lineTo(int x, int y) {
    QPainter& p = painter();
    // A one-dot line all but vanishes at printer resolutions; about a third of a point shows.
    p.setPen(QPen(penColour_, std::max(1, resolution() / 200)));
    p.drawLine(penX_, penY_, x, y);
    moveTo(x, y);
}

namespace detail {

PdfWriterHolder::PdfWriterHolder(const QString& name)
    : writer(std::make_unique<QPdfWriter>(name)), fileName(name) {
    writer->setPageSize(QPageSize(QPageSize::A4));
    writer->setTitle(QStringLiteral("Setting Data List"));
}

PdfWriterHolder::~PdfWriterHolder() = default;

}  // namespace detail

TPdfCanvas::TPdfCanvas(const QString& fileName)
    : detail::PdfWriterHolder(fileName), TPaintCanvas(*writer) {}

std::string TPdfCanvas::refusal() const {
    return "The PDF file could not be written: " + fileName.toStdString();
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
