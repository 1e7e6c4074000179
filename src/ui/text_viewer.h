// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main_layout.h"
#include "ui/qt_prompter.h"
#include "ui/screen_fit.h"

#include <QMainWindow>
#include <QSize>

#include <functional>

class QAction;
class QPlainTextEdit;

namespace zuk {

class PrintDialog;
class Prompter;

// A window that shows one text file in a read-only box filling it, with commands on its menu
// bar (each a command itself, without a drop-down): the log viewer and the help viewer. What
// it shows is the file as it was read; edits are never saved. Esc or closing deletes the
// window.
class TextViewer : public QMainWindow {
    Q_OBJECT
public:
    QPlainTextEdit* textBox() const { return m_box; }
    // The menu-bar commands that every viewer has.
    QAction* mnuExit() const { return m_mnuExit; }
    QAction* mnuPrint() const { return m_mnuPrint; }

    // The window's size and place on its screen.
    ScreenFit& screenFit() { return m_fit; }

    void mnuExit_Click();
    // The selection, or the whole text when nothing is selected, to a printer.
    void mnuPrint_Click();

protected:
    // `clientTwips`: the designed client area below the menu bar. `prompter` replaces the
    // window's own message boxes (tests).
    TextViewer(const QString& name, const QString& caption, const QString& boxName,
               QSize clientTwips, const TwipScale& scale, Prompter* prompter,
               PrintDialog& printDialog);

    void keyPressEvent(QKeyEvent* event) override;

    QAction* addCommand(const char* name, const QString& caption, std::function<void()> handler);
    // Shows the file at `path`; when there is none, `missingText` in a message box and an
    // empty view. A file that exists but can't be read is reported with its "ERROR: " text.
    void loadFile(const QString& path, const QString& missingText);
    Prompter& prompter() { return m_prompter; }
    const TwipScale& scale() const { return m_scale; }

    // Set by each viewer as it adds them, in its own order.
    QAction* m_mnuExit = nullptr;
    QAction* m_mnuPrint = nullptr;

private:
    QPlainTextEdit* m_box;
    TwipScale m_scale;
    ScreenFit m_fit{*this, ScreenFit::Sizing::Resizable};
    // Boxes over this window once it is on the screen, which is in front again when they close.
    QtPrompter m_ownBoxes{this};
    Prompter& m_prompter;
    PrintDialog& m_printDialog;
};

} // namespace zuk
