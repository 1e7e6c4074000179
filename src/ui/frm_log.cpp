#include "ui/frm_log.h"

#include "engine/error.h"
#include "engine/file_io.h"
#include "engine/prompter.h"

#include <QPlainTextEdit>

namespace zuk {

frmLog::frmLog(QString logPath, const TwipScale& scale, Prompter& prompter,
               PrintDialog& printDialog)
    : TextViewer(QStringLiteral("frmLog"), QStringLiteral("Log"), QStringLiteral("txtLog"),
                 kClientTwips, scale, prompter, printDialog),
      m_logPath(std::move(logPath)) {
    addCommand("mnuExit", QStringLiteral("Exit"), [this] { mnuExit_Click(); });
    addCommand("mnuClear", QStringLiteral("Clear"), [this] { mnuClear_Click(); });
    addCommand("mnuPrint", QStringLiteral("Print"), [this] { mnuPrint_Click(); });
}

void frmLog::Form_Load() {
    loadFile(m_logPath, QStringLiteral("No log file exists"));
}

void frmLog::mnuClear_Click() {
    txtLog()->clear();
    if (m_logPath.isEmpty())
        return;
    // A log that can't be deleted is reported: the user must not think it gone.
    if (Status removed = removeFile(m_logPath); !removed)
        prompter().inform(removed.error().message(), m_logPath);
}

} // namespace zuk
