// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print_dialog.h"

#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>

namespace zuk {

bool QtPrintDialog::choose(QPrinter& printer, bool offerSelection, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintPageRange, false);
    options.setFlag(QAbstractPrintDialog::PrintCurrentPage, false);
    options.setFlag(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setOptions(options);
    return dialog.exec() == QDialog::Accepted;
}

void printView(const QPlainTextEdit& view, PrintDialog& dialog, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    const bool selected = view.textCursor().hasSelection();
    // With a selection the dialog starts on "Selection", so OK prints what is selected.
    printer.setPrintRange(selected ? QPrinter::Selection : QPrinter::AllPages);
    if (!dialog.choose(printer, selected, parent))
        return;
    // Prints the selection only when the dialog's range says so; a printer that fails
    // (no device, a file that can't be written) prints nothing and reports nothing.
    view.print(&printer);
}

} // namespace zuk
