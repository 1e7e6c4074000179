// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/text_viewer.h"

namespace zuk {

// The log viewer "Log": the activity log as it was when the viewer opened, with Exit, Clear
// and Print.
class frmLog final : public TextViewer {
    Q_OBJECT
public:
    static constexpr QSize kClientTwips{8190, 7485};

    frmLog(QString logPath, const TwipScale& scale, Prompter* prompter, PrintDialog& printDialog);

    QPlainTextEdit* txtLog() const { return textBox(); }
    QAction* mnuClear() const { return m_mnuClear; }

    // Reads the log; "No log file exists" when there is none. The window opens all the same.
    void Form_Load();
    // Once the window is on the screen: scrolls to the newest run's header, at the top of the
    // view unless the end of the log comes first, with the caret there.
    void showNewestRun();
    // Empties the view and deletes the log file, without asking; the next logged run starts
    // a new one.
    void mnuClear_Click();

private:
    QString m_logPath;
    QAction* m_mnuClear = nullptr;
};

} // namespace zuk
