// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run_window.h"

#include "cli/terminal_prompter.h"
#include "engine/files/path_bytes.h"

namespace zuk {

void CliRunWindow::showCounters(const RunCounters& shown) {
    HeadlessRunWindow::showCounters(shown);
    m_progress.update(counters, currentPath);
}

void CliRunWindow::setCurrentPath(const QString& path) {
    HeadlessRunWindow::setCurrentPath(path);
    m_progress.update(counters, currentPath);
}

Status CliRunWindow::setRightBoxText(const QString& given) {
    if (!canEncode(given, inputEncoding))
        return Error{ErrorNumber::InvalidArgument,
                     QStringLiteral("The replacement text holds characters that the input's "
                                    "encoding cannot store")};
    textChanged = true;
    return HeadlessRunWindow::setRightBoxText(given);
}

void CliRunWindow::openLogViewer() {
    HeadlessRunWindow::openLogViewer();
    m_progress.clear();
    if (!logPath.isEmpty())
        TerminalPrompter::writeToStandardError(
            QStringLiteral("Log: %1\n").arg(displayPath(logPath)));
}

} // namespace zuk
