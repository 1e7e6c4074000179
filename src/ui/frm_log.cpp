// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_log.h"

#include "engine/error.h"
#include "engine/files/file_io.h"
#include "engine/run/prompter.h"

#include <QPlainTextEdit>
#include <QTextBlock>

namespace zuk {

frmLog::frmLog(QString logPath, const TwipScale& scale, Prompter* prompter,
               PrintDialog& printDialog)
    : TextViewer(QStringLiteral("frmLog"), QStringLiteral("Log"), QStringLiteral("txtLog"),
                 kClientTwips, scale, prompter, printDialog),
      m_logPath(std::move(logPath)) {
    m_mnuExit = addCommand("mnuExit", QStringLiteral("Exit"), [this] { mnuExit_Click(); });
    m_mnuClear = addCommand("mnuClear", QStringLiteral("Clear"), [this] { mnuClear_Click(); });
    m_mnuPrint = addCommand("mnuPrint", QStringLiteral("Print"), [this] { mnuPrint_Click(); });
}

void frmLog::Form_Load() {
    loadFile(m_logPath, QStringLiteral("No log file exists"));
}

void frmLog::showNewestRun() {
    QPlainTextEdit* box = txtLog();
    QTextDocument* log = box->document();
    // A header line is followed by its time stamp; one in a logged search text is followed by
    // more of that text or by the replacement's line.
    auto isHeader = [](const QTextBlock& block) {
        const QString line = block.text();
        const QString next = block.next().text();
        return (line == QLatin1String("==> START") || line == QLatin1String("==> ROLL BACK")) &&
               next.startsWith(QLatin1String("====> ")) &&
               !next.startsWith(QLatin1String("====> Replace Criteria - ")) &&
               !next.startsWith(QLatin1String("====> Search Criteria - "));
    };
    QTextBlock header = log->lastBlock();
    while (header.isValid() && !isHeader(header))
        header = header.previous();
    QTextCursor cursor(log);
    cursor.movePosition(QTextCursor::End);
    box->setTextCursor(cursor);
    box->ensureCursorVisible();
    if (!header.isValid())
        return;
    // Scrolled up from the end, the view puts the header on its first line.
    cursor.setPosition(header.position());
    box->setTextCursor(cursor);
    box->ensureCursorVisible();
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
