// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_help.h"

namespace zuk {

frmHelp::frmHelp(QString helpPath, const TwipScale& scale, Prompter* prompter,
                 PrintDialog& printDialog)
    : TextViewer(QStringLiteral("frmHelp"), QStringLiteral("ZUK Help"), QStringLiteral("txtHelp"),
                 kClientTwips, scale, prompter, printDialog),
      m_helpPath(std::move(helpPath)) {
    m_mnuExit = addCommand("mnuExit", QStringLiteral("Exit"), [this] { mnuExit_Click(); });
    m_mnuPrint = addCommand("mnuPrint", QStringLiteral("Print"), [this] { mnuPrint_Click(); });
}

void frmHelp::Form_Load(const QWidget& mainWindow) {
    loadFile(m_helpPath, QStringLiteral("Help file missing"));
    screenFit().place(mainWindow.pos() - QPoint(0, scale().py(100)));
}

} // namespace zuk
