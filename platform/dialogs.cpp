#include "platform/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <memory>

namespace platform {
namespace {

FileDialogHook& fileHook() {
    static FileDialogHook h;
    return h;
}

PrinterSetupHook& printerHook() {
    static PrinterSetupHook h;
    return h;
}

std::unique_ptr<QPrinter> makePrinter() {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setPageOrientation(QPageLayout::Landscape);
    return p;
}

// Created on first use (it needs the application object) and kept for the whole run, so
// the choice made in Printer Set holds for every later Print.
std::unique_ptr<QPrinter>& printerSlot() {
    static auto* slot = new std::unique_ptr<QPrinter>;
    return *slot;
}

}  // namespace

void setFileDialogHook(FileDialogHook hook) {
    fileHook() = std::move(hook);
}

void setPrinterSetupHook(PrinterSetupHook hook) {
    printerHook() = std::move(hook);
}

QPrinter& currentPrinter() {
    auto& slot = printerSlot();
    if (!slot) slot = makePrinter();
    return *slot;
}

void resetCurrentPrinter() {
    printerSlot() = makePrinter();
}

QString qtFilter(const QString& delphiFilter) {
    const QStringList parts = delphiFilter.split(QChar('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QChar(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        entries << parts[i] + QStringLiteral(" (") + patterns.join(QChar(' ')) + QChar(')');
    }
    return entries.join(QStringLiteral(";;"));
}

QString withDefaultExt(const QString& name, const QString& defaultExt) {
    if (name.isEmpty() || defaultExt.isEmpty()) return name;
    if (QFileInfo(name).fileName().contains(QChar('.'))) return name;
    return name + QChar('.') + defaultExt;
}

TFileDialog::TFileDialog(FileDialogKind kind, QWidget* parent)
    : QObject(parent), kind_(kind), parentWidget_(parent) {}

std::optional<QString> TFileDialog::ask() const {
    if (fileHook()) return fileHook()(kind_, Filter, DefaultExt);
    const QString filter = qtFilter(Filter);
    QString chosen;
    if (kind_ == FileDialogKind::Open) {
        chosen = QFileDialog::getOpenFileName(parentWidget_, QString(), FileName, filter);
    } else {
        // The caller asks its own replace question.
        chosen = QFileDialog::getSaveFileName(parentWidget_, QString(), FileName, filter, nullptr,
                                              QFileDialog::DontConfirmOverwrite);
    }
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

bool TFileDialog::Execute() {
    const std::optional<QString> chosen = ask();
    if (!chosen || chosen->isEmpty()) return false;
    FileName = withDefaultExt(*chosen, DefaultExt);
    return true;
}

TPrinterSetupDialog::TPrinterSetupDialog(QWidget* parent)
    : QObject(parent), parentWidget_(parent) {}

bool TPrinterSetupDialog::Execute() {
    QPrinter& printer = currentPrinter();
    if (printerHook()) return printerHook()(printer);
    QPrintDialog dialog(&printer, parentWidget_);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace platform
