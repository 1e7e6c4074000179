// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_journal.h"

#include "app/app_paths.h"
#include "app/settings.h"
#include "cli/cli_app.h"
#include "cli/cli_command.h"
#include "engine/files/atomic_file.h"
#include "engine/files/path_bytes.h"
#include "engine/journal/journal_history.h"
#include "engine/journal/journal_undo.h"
#include "engine/journal/undo_texts.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace zuk {

namespace {

const AppPathsSetup& appPaths() {
    static const AppPathsSetup setup = [] {
        const QString executableFolder =
            QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
        return SetAppPaths(AppEnvironment{decodePath(qgetenv("AppData")),
                                          executableFolder + QStringLiteral("/zuk")});
    }();
    return setup;
}

// Beside the window's settings file, so both front ends share one journal; empty without an
// application folder.
QString journalPath() {
    return appPaths().folder ? appPaths().paths.journalPath() : QString();
}

// The settings file's limits, under those the command gives.
JournalLimits journalLimits(const CliCommand& command) {
    if (command.journalRuns && command.journalBytes)
        return command.journalLimits({});
    const MainSettings saved = LoadSettings(appPaths().paths.iniPath);
    return command.journalLimits(journalLimitsOf(saved.undoRuns, saved.undoSize));
}

void journalError(const Error& error) {
    writeError(QStringLiteral("zuk-cli: the undo journal %1: %2\n")
                   .arg(displayPath(journalPath()), error.message()));
}

} // namespace

QString runPlace(const CliCommand& command) {
    if (!command.filesFrom.isEmpty())
        return QStringLiteral("the files of %1")
            .arg(command.filesFrom == QLatin1String("-") ? QStringLiteral("standard input")
                                                         : command.filesFrom);
    if (command.paths && command.paths->size() > 1)
        return QStringLiteral("%1 and %2 more")
            .arg(command.paths->first())
            .arg(command.paths->size() - 1);
    return command.paths && !command.paths->isEmpty() ? command.paths->first()
                                                      : command.values.path;
}

bool CliJournal::attach(const CliCommand& command, SearchRun& run) {
    const RunOptionValues& v = command.values;
    if (command.noJournal || command.dryRun || v.optText || v.searchOnly == Checked)
        return true;
    const QString path = journalPath();
    if (path.isEmpty()) {
        writeError(QStringLiteral("zuk-cli: warning: no application folder: this run can't be "
                                  "undone\n"));
        return true;
    }
    m_session = std::make_unique<JournalSession>(path);
    RunInfo info;
    info.path = runPlace(command);
    info.searchText = command.kind == CliCommand::Kind::Batch
                          ? QStringLiteral("--batch %1").arg(command.batchPath)
                          : v.searchText;
    info.pruneAside = command.threads != 1;
    if (const Status ready = m_session->begin(run, info, journalLimits(command)); !ready) {
        journalError(ready.error());
        writeError(QStringLiteral("zuk-cli: nothing was changed; --no-journal runs without it\n"));
        return false;
    }
    return true;
}

CliJournal::~CliJournal() = default;

void CliJournal::finish() {
    if (!m_session)
        return;
    Status ended;
    for (const QString& path : m_session->end(&ended))
        writeError(QStringLiteral("zuk-cli: can't be undone (%1): %2\n")
                       .arg(notKeptReason(), displayPath(path)));
    if (!ended)
        journalError(ended.error());
}

int runUndo(Session& s, const CliCommand& command) {
    if (journalPath().isEmpty()) {
        writeError(QStringLiteral("zuk-cli: nothing to undo: no application folder\n"));
        return ExitStatus::Refused;
    }
    JournalSession session(journalPath());
    JournalFolder& folder = *session.folder();
    folder.setLimits(journalLimits(command));
    if (const Status opened = folder.open(false); !opened) {
        journalError(opened.error());
        return ExitStatus::Failed;
    }
    const Result<std::optional<UndoPlan>> plan =
        planUndo(folder, command.undoId > 0 ? std::optional<qint64>(command.undoId) : std::nullopt);
    if (!plan) {
        journalError(plan.error());
        return ExitStatus::Failed;
    }
    if (!plan.value()) {
        writeError(QStringLiteral("zuk-cli: nothing to undo\n"));
        return ExitStatus::Refused;
    }
    const UndoPlan& planned = *plan.value();
    if (!s.prompter.confirm(undoConfirmationText(planned.run, planned.inspected)))
        return exitStatusOf(RunOutcome::Declined);
    const Result<UndoReport> done = JournalUndo(folder).undo(planned.run.id);
    if (!done) {
        journalError(done.error());
        return ExitStatus::Failed;
    }
    for (const UndoFile& file : done.value().files) {
        if (file.isLeft())
            writeError(QStringLiteral("zuk-cli: left %1\n").arg(undoLeftText(file)));
    }
    for (const QString& path : done.value().notKept)
        writeError(QStringLiteral("zuk-cli: this undo can't be undone for %1 (%2)\n")
                       .arg(displayPath(path), notKeptReason()));
    if (done.value().endedBy)
        writeError(
            QStringLiteral("zuk-cli: the undo stopped: %1\n").arg(done.value().endedBy->message()));
    if (!writeStandardOutput(undoCountsText(done.value()).toUtf8()))
        return ExitStatus::Failed;
    if (done.value().endedBy)
        return ExitStatus::Failed;
    const qint64 left = done.value().left();
    if (left == 0)
        return ExitStatus::Completed;
    writeError(QStringLiteral("zuk-cli: %1 %2 left\n")
                   .arg(left)
                   .arg(left == 1 ? QStringLiteral("file") : QStringLiteral("files")));
    return ExitStatus::FilesFailed;
}

int runHistory() {
    if (journalPath().isEmpty())
        return ExitStatus::Completed;
    JournalFolder folder(journalPath());
    if (const Status opened = folder.open(false); !opened) {
        journalError(opened.error());
        return ExitStatus::Failed;
    }
    const Result<QList<RunSummary>> history = journalHistory(folder);
    if (!history) {
        journalError(history.error());
        return ExitStatus::Failed;
    }
    QString text;
    for (const RunSummary& run : history.value())
        text += historyLine(run) + u'\n';
    return writeStandardOutput(text.toUtf8()) ? ExitStatus::Completed : ExitStatus::Failed;
}

} // namespace zuk
