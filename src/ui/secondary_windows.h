// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/frm_about.h"
#include "ui/frm_help.h"
#include "ui/frm_log.h"
#include "ui/print_dialog.h"

#include <QPointer>
#include <QString>

namespace zuk {

class frmMain;
class Prompter;

// The main window's secondary windows: the log viewer, the help viewer and the About box.
// Each is opened non-modally on demand and deleted when closed. Constructing this connects
// View Log, Help and About ZUK of the main window, which enables them.
class SecondaryWindows final {
public:
    // `prompter` replaces the windows' own message boxes (tests).
    SecondaryWindows(frmMain& main, Prompter* prompter, QString logPath, QString executableFolder);
    ~SecondaryWindows();
    SecondaryWindows(const SecondaryWindows&) = delete;
    SecondaryWindows& operator=(const SecondaryWindows&) = delete;

    // View Log: closes an open log viewer and opens a new one, so the log is read afresh, at
    // its newest run.
    void cmdViewLog_Click();
    // Help: opens the help viewer, or only brings an open one forward (not read again).
    void cmdHelp_Click();
    // About ZUK: opens the About box, or brings the open one forward.
    void mnuAbout_Click();
    // The main window's exit: closes the About box, the log viewer and the help viewer, in
    // this order.
    void closeAll();

    frmLog* logViewer() const { return m_log; }
    frmHelp* helpViewer() const { return m_help; }
    frmAbout* aboutBox() const { return m_about; }

    // Tests print without a dialog and open addresses without a browser. Used by windows
    // opened afterwards.
    void setPrintDialog(PrintDialog* dialog) { m_printDialog = dialog ? dialog : &m_qtPrintDialog; }
    void setUrlOpener(frmAbout::UrlOpener openUrl) { m_openUrl = std::move(openUrl); }

private:
    frmMain& m_main;
    Prompter* m_prompter;
    QString m_logPath;
    QString m_executableFolder;
    QtPrintDialog m_qtPrintDialog;
    PrintDialog* m_printDialog = &m_qtPrintDialog;
    frmAbout::UrlOpener m_openUrl;
    QPointer<frmLog> m_log;
    QPointer<frmHelp> m_help;
    QPointer<frmAbout> m_about;
};

} // namespace zuk
