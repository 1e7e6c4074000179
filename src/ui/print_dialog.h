// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPlainTextEdit;
class QPrinter;
class QWidget;

namespace zuk {

// The printer dialog of the viewers' Print command. The window shows QPrintDialog; tests set
// the printer up themselves (a PDF file) and answer without a dialog.
class PrintDialog {
public:
    virtual ~PrintDialog() = default;
    // Lets the user choose the printer and its settings. The choice "selection" is offered
    // only with `offerSelection`; page ranges never are. False when the user cancelled.
    virtual bool choose(QPrinter& printer, bool offerSelection, QWidget* parent) = 0;
};

class QtPrintDialog final : public PrintDialog {
public:
    bool choose(QPrinter& printer, bool offerSelection, QWidget* parent) override;
};

// The viewers' Print: the selection, or the whole text when nothing is selected, to the
// chosen printer. A cancel or a failure ends it without a word.
void printView(const QPlainTextEdit& view, PrintDialog& dialog, QWidget* parent);

} // namespace zuk
