// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/secondary_windows.h"

#include "app/help_file.h"
#include "ui/frm_main.h"
#include "ui/window_placement.h"

namespace zuk {

SecondaryWindows::SecondaryWindows(frmMain& main, Prompter* prompter, QString logPath,
                                   QString executableFolder)
    : m_main(main), m_prompter(prompter), m_logPath(std::move(logPath)),
      m_executableFolder(std::move(executableFolder)) {
    main.setViewLogCommand([this] { cmdViewLog_Click(); });
    main.setHelpCommand([this] { cmdHelp_Click(); });
    main.setAboutCommand([this] { mnuAbout_Click(); });
}

SecondaryWindows::~SecondaryWindows() {
    delete m_about.data();
    delete m_log.data();
    delete m_help.data();
}

void SecondaryWindows::cmdViewLog_Click() {
    delete m_log.data();
    m_log = new frmLog(m_logPath, m_main.scale(), m_prompter, *m_printDialog);
    m_log->Form_Load();
    bringForward(m_log);
    m_log->showNewestRun();
}

void SecondaryWindows::cmdHelp_Click() {
    if (!m_help) {
        m_help = new frmHelp(findHelpFile(m_executableFolder), m_main.scale(), m_prompter,
                             *m_printDialog);
        m_help->Form_Load(m_main);
    }
    bringForward(m_help);
}

void SecondaryWindows::mnuAbout_Click() {
    if (!m_about) {
        m_about = new frmAbout(m_openUrl);
        m_about->Form_Load(m_main.screen());
    }
    bringForward(m_about);
}

void SecondaryWindows::closeAll() {
    for (QWidget* window : {static_cast<QWidget*>(m_about), static_cast<QWidget*>(m_log),
                            static_cast<QWidget*>(m_help)}) {
        if (window)
            window->close();
    }
}

} // namespace zuk
