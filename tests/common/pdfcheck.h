#pragma once
// Printing into a PDF in window tests: Printer Set answered with a PDF file, and the page
// read back with poppler's tools (pdftotext, pdfinfo, pdftoppm). Only for tests that link
// the desktop platform part.
#include <gtest/gtest.h>

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/dialogs.h"
#include "testdir.h"

namespace kvtest {

// Printer Set answered by the test: print into `pdf`, on A4, in the orientation given (or
// leave the orientation as the program set it).
class PrinterChoice {
  public:
    explicit PrinterChoice(const QString& pdf, std::optional<QPageLayout::Orientation> o = {}) {
        platform::setPrinterSetupHook([pdf, o](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageSize(QPageSize(QPageSize::A4));
            if (o) p.setPageOrientation(*o);
            return true;
        });
    }
    ~PrinterChoice() {
        platform::setPrinterSetupHook(nullptr);
        platform::resetCurrentPrinter();
    }
    PrinterChoice(const PrinterChoice&) = delete;
    PrinterChoice& operator=(const PrinterChoice&) = delete;
};

inline bool havePoppler() {
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

// The output of a poppler tool. On a busy machine the tool may once fail to start or to
// finish, which says nothing of the PDF: that run is repeated. Any other failure is
// reported as what it is, not as a page that lacks words.
inline QString runTool(const QString& program, const QStringList& args) {
    for (int attempt = 1;; ++attempt) {
        QProcess p;
        p.start(program, args);
        const bool finished = p.waitForFinished(120000);
        const bool ranToItsEnd = finished && p.exitStatus() == QProcess::NormalExit;
        if (ranToItsEnd && p.exitCode() == 0) return QString::fromUtf8(p.readAllStandardOutput());
        if (ranToItsEnd || attempt == 2) {
            ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                          << " failed: " << p.errorString().toStdString() << ", exit code "
                          << p.exitCode() << ", " << p.readAllStandardError().toStdString();
            return {};
        }
    }
}

struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
};
struct PdfPage {
    double width = 0, height = 0;
    std::vector<PdfWord> words;
    const PdfWord* word(const QString& w) const {
        for (const PdfWord& x : words)
            if (x.text == w) return &x;
        return nullptr;
    }
    // The occurrence lowest on the page, whatever the reading order.
    const PdfWord* lowest(const QString& w) const {
        const PdfWord* found = nullptr;
        for (const PdfWord& x : words)
            if (x.text == w && (!found || x.yMin > found->yMin)) found = &x;
        return found;
    }
};

// Words with their boxes in points, from pdftotext -bbox.
inline PdfPage readPdf(const QString& pdf) {
    PdfPage page;
    const QString html = runTool("pdftotext", {"-bbox", pdf, "-"});
    const QRegularExpression pageRe(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    if (const auto m = pageRe.match(html); m.hasMatch()) {
        page.width = m.captured(1).toDouble();
        page.height = m.captured(2).toDouble();
    }
    const QRegularExpression wordRe(
        R"re(<word xMin="([\d.-]+)" yMin="([\d.-]+)" xMax="([\d.-]+)" yMax="([\d.-]+)">([^<]*)</word>)re");
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        page.words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                              m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return page;
}

inline int pdfPageCount(const QString& pdf) {
    const QRegularExpression re(R"(Pages:\s+(\d+))");
    const auto m = re.match(runTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Every word lies on the paper: nothing cut off at an edge.
inline void expectWordsOnThePaper(const PdfPage& page) {
    ASSERT_FALSE(page.words.empty());
    for (const PdfWord& word : page.words) {
        EXPECT_GE(word.xMin, 0) << word.text.toStdString();
        EXPECT_LE(word.xMax, page.width) << word.text.toStdString();
        EXPECT_LE(word.yMax, page.height) << word.text.toStdString();
    }
}

// Copies `pdf` into the build folder as `name`.pdf and, when pdftoppm is there, renders it
// beside as `name`.png for people to look at.
inline void keepPdfArtefact(const QString& pdf, const QString& name) {
    const QString kept = artefactPath(name + ".pdf");
    QFile::remove(kept);
    QFile::copy(pdf, kept);
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) return;
    const QString png = artefactPath(name);
    runTool("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, png});
    EXPECT_TRUE(QFile::exists(png + ".png"));
}

}  // namespace kvtest
