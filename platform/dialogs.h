#pragma once
// The common dialogs: open a file, save a file, printer setup. Each has `Execute()` and,
// for the file dialogs, `FileName`; tests replace what the user would do with a hook.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace platform {

enum class FileDialogKind { Open, Save };

// Stands in for the user at a file dialog: gets the kind, the filter (as the dialog's
// owner wrote it, "Text|*.txt|...") and the default extension; returns the chosen name or
// nullopt for Cancel. An empty hook means the real dialog is shown.
using FileDialogHook = std::function<std::optional<QString>(
    FileDialogKind kind, const QString& filter, const QString& defaultExt)>;
void setFileDialogHook(FileDialogHook hook);

// Stands in for the user at the printer-setup dialog: may change the printer it is given
// (printer, paper, orientation, output to a PDF file); returns false for Cancel.
using PrinterSetupHook = std::function<bool(QPrinter& printer)>;
void setPrinterSetupHook(PrinterSetupHook hook);

// The application's current printer, which Printer Set configures and Print uses. It
// starts in landscape: the setting list is wider than a portrait sheet.
QPrinter& currentPrinter();
// Back to the start-up choice (default printer, landscape, no output file).
void resetCurrentPrinter();

// "A|*.a|B|*.b;*.c" to Qt's "A (*.a);;B (*.b *.c)".
QString qtFilter(const QString& delphiFilter);
// `name` with "." + `defaultExt` appended when its file name has no extension.
QString withDefaultExt(const QString& name, const QString& defaultExt);

class TFileDialog : public QObject {
    Q_OBJECT
  public:
    // True when the user chose a file; `FileName` then holds it.
    bool Execute();

    QString FileName;
    QString Filter;
    QString DefaultExt;

  protected:
    TFileDialog(FileDialogKind kind, QWidget* parent);

  private:
    std::optional<QString> ask() const;

    FileDialogKind kind_;
    QWidget* parentWidget_;
};

class TOpenDialog : public TFileDialog {
    Q_OBJECT
  public:
    explicit TOpenDialog(QWidget* parent) : TFileDialog(FileDialogKind::Open, parent) {}
};

class TSaveDialog : public TFileDialog {
    Q_OBJECT
  public:
    explicit TSaveDialog(QWidget* parent) : TFileDialog(FileDialogKind::Save, parent) {}
};

class TPrinterSetupDialog : public QObject {
    Q_OBJECT
  public:
    explicit TPrinterSetupDialog(QWidget* parent);
    // Shows the print dialog on the current printer; true when the user accepted it.
    bool Execute();

  private:
    QWidget* parentWidget_;
};

}  // namespace platform
