#pragma once
// A printing surface in the manner of a printer canvas: text at a position (top-left
// corner), text measures, lines, font and pen, begin and end of the document. The printed
// lists draw on this; tests draw on the recording canvas.
#include <QColor>
#include <QString>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPdfWriter;

namespace platform {

// Printing failed: no printer, the job refused, the output not written.
class EPrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TCanvas {
  public:
    virtual ~TCanvas() = default;

    virtual void beginDoc() = 0;
    virtual void endDoc() = 0;

    virtual void setFont(const QString& name, int pointSize) = 0;
    virtual void setFontColour(const QColor& colour) = 0;
    virtual void setPenColour(const QColor& colour) = 0;

    // In device units, for the current font.
    virtual int textWidth(const QString& text) = 0;
    virtual int textHeight(const QString& text) = 0;

    virtual void textOut(int x, int y, const QString& text) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
};

// Draws on a paged paint device (a PDF writer, a printer). The document begins on beginDoc
// and is complete on endDoc; destroying a canvas whose document was begun but not ended
// abandons it.
class TPaintCanvas : public TCanvas {
  public:
    explicit TPaintCanvas(QPagedPaintDevice& device);
    ~TPaintCanvas() override;
    TPaintCanvas(const TPaintCanvas&) = delete;
    TPaintCanvas& operator=(const TPaintCanvas&) = delete;

    void beginDoc() override;
    void endDoc() override;
    void setFont(const QString& name, int pointSize) override;
    void setFontColour(const QColor& colour) override;
    void setPenColour(const QColor& colour) override;
    int textWidth(const QString& text) override;
    int textHeight(const QString& text) override;
    void textOut(int x, int y, const QString& text) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

  protected:
    // What a kind of device adds: a check before the document begins (EPrintError when it
    // cannot take one), the message when it refuses the job, whether the ended job failed,
    // how to abandon a begun job, and its resolution in dots per inch.
    virtual void ensureAvailable() {}
    virtual std::string refusal() const;
    virtual bool jobFailed() const { return false; }
    virtual void abandon() {}
    virtual int resolution() const;

    // Derived destructors call this first, while their device is still theirs.
    void abandonBegunDocument();

  private:
    QPainter& painter();

    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    QColor fontColour_ = Qt::black;
    QColor penColour_ = Qt::black;
    int penX_ = 0;
    int penY_ = 0;
};

namespace detail {
// Owns the PDF writer, so that it is made before the canvas that draws on it and goes after.
struct PdfWriterHolder {
    explicit PdfWriterHolder(const QString& fileName);
    ~PdfWriterHolder();
    std::unique_ptr<QPdfWriter> writer;
    QString fileName;
};
}  // namespace detail

// Writes the document as a PDF file of A4 pages.
class TPdfCanvas : private detail::PdfWriterHolder, public TPaintCanvas {
  public:
    explicit TPdfCanvas(const QString& fileName);

  protected:
    std::string refusal() const override;
};

// Keeps everything drawn on it, with fixed metrics: every character is `charWidth` wide
// and every text `lineHeight` high.
class TRecordingCanvas : public TCanvas {
  public:
    static constexpr int charWidth = 10;
    static constexpr int lineHeight = 20;

    struct Text {
        int x, y;
        QString text;
        QString font;
        int pointSize;
        QColor colour;
    };
    struct Line {
        int x1, y1, x2, y2;
        QColor colour;
    };

    void beginDoc() override;
    void endDoc() override;
    void setFont(const QString& name, int pointSize) override;
    void setFontColour(const QColor& colour) override { fontColour_ = colour; }
    void setPenColour(const QColor& colour) override { penColour_ = colour; }
    int textWidth(const QString& text) override { return charWidth * int(text.size()); }
    int textHeight(const QString&) override { return lineHeight; }
    void textOut(int x, int y, const QString& text) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

    std::vector<Text> texts;
    std::vector<Line> lines;
    int documentsBegun = 0;
    int documentsEnded = 0;

  private:
    QString font_;
    int pointSize_ = 0;
    QColor fontColour_ = Qt::black;
    QColor penColour_ = Qt::black;
    int penX_ = 0;
    int penY_ = 0;
};

}  // namespace platform
