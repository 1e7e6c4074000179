// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/roll_back.h"

#include "backup/make_backup.h"
#include "engine/files/file_collection.h"
#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "engine/files/path_text.h"

namespace zuk {

namespace {

// A missing file is passed over wherever the roll back meets one.
bool isNotFound(const Status& status) {
    return !status && status.error().number == ErrorNumber::FileNotFound;
}

} // namespace

const QString RollBack::kMissingPathText =
    QStringLiteral("You must select a Directory to \"Roll Back\"");

RollBack::RollBack(const RunOptions& options, RunWindow& window, Prompter& prompter,
                   YieldHook& yieldHook, RunState& state, const ActivityLog& log)
    : m_options(options), m_window(window), m_prompter(prompter), m_yield(yieldHook),
      m_state(state), m_log(log) {}

QString RollBack::confirmationText(const QString& directory) {
    return QStringLiteral("WARNING! Your are attempting a \"Roll Back\" of all files Backed up "
                          "in and below directory :\r\n\r\n") +
           displayPath(directory) +
           QStringLiteral("\r\n\r\nThis action can not be undone!  Are you sure you want to "
                          "continue?");
}

RunOutcome RollBack::start() {
    if (m_state.rollBackActive) {
        m_state.cancelFlag = true;
        return RunOutcome::CancelRequested;
    }
    const QString pathText = m_options.path();
    if (pathText.isEmpty()) {
        m_prompter.inform(kMissingPathText);
        return RunOutcome::Refused;
    }
    // The root and a bare name are refused rather than walking the root, and so is a path that
    // names nothing, rather than rolling back its parent's tree.
    const PathDirectory named = directoryOfPathText(pathText);
    if (named.kind != PathDirectory::Kind::Directory) {
        m_prompter.inform(pathRefusalText(named.kind, pathText, kMissingPathText));
        return RunOutcome::Refused;
    }
    const QString& directory = named.directory;
    if (!m_prompter.confirm(confirmationText(directory)))
        return RunOutcome::Declined;

    m_count = 0;
    m_filesFailed = 0;
    // Walked before the log header, so that a tree too big is refused with nothing written.
    const DirectoryList list =
        CollectDirectories(directory, m_options.subDirectories(), 0, m_walkThreads);
    if (list.tooManyDirectories) {
        m_prompter.inform(DirectoryList::tooManyDirectoriesText(directory), directory);
        return RunOutcome::Refused;
    }

    if (m_options.logChanges() == Checked) {
        if (Status logged = m_log.logRollBackHeader(); !logged && !isNotFound(logged)) {
            m_prompter.inform(logged.error().message());
            return RunOutcome::Failed;
        }
    }

    m_state.rollBackActive = true;
    m_window.enterRollBackState();

    if (Status restored = restoreAll(list); !restored) {
        (void)m_writes.syncAll(); // keep what was restored; the failure is what gets shown
        return fail(restored.error());
    }
    // What was renamed is on disk before the command says it is done.
    if (Status synced = m_writes.syncAll(); !synced)
        return fail(synced.error());

    const bool cancelled = m_state.cancelFlag;
    leaveRunningState();
    if (m_options.logChanges() == Checked) {
        if (Status logged = m_log.logRollBackTrailer(m_count); !logged && !isNotFound(logged)) {
            m_prompter.inform(logged.error().message());
            return RunOutcome::Failed;
        }
    }
    m_prompter.inform(QStringLiteral("ZUK Done"));
    return cancelled ? RunOutcome::Cancelled : RunOutcome::Completed;
}

Status RollBack::restoreAll(const DirectoryList& list) {
    for (qsizetype i = 0; i < list.directories.size(); ++i) {
        const QString& directory = list.directories[i];
        const Result<DirectoryFiles> files = list.filesOf(i);
        if (!files) {
            const Error& error = files.error();
            if (error.number == ErrorNumber::DeviceIo || error.number == ErrorNumber::DiskFull)
                return error;
            // A folder that can't be read is named and passed over; one that vanished, silently.
            if (error.number != ErrorNumber::FileNotFound) {
                m_prompter.inform(error.message(), directory);
                ++m_filesFailed;
            }
            continue;
        }
        if (files.value().temporaries)
            m_writes.sweepFolder(directory);
        for (const QString& name : files.value().names) {
            if (isBackupName(name)) {
                ++m_count;
                if (Status restored = restore(directory + nativeSeparator() + name); !restored)
                    return restored;
            }
            m_yield.yield();
            if (m_state.cancelFlag)
                return {};
        }
        if (m_state.cancelFlag)
            return {};
    }
    return {};
}

Status RollBack::restore(const QString& backup) {
    const QString restored = backedUpPathOf(backup);
    // The edited file gives way only where a run could write it: not a file this process may
    // not write, nor one whose other names would go on showing the edited text.
    if (Status replaceable = checkReplaceable(restored); !replaceable) {
        m_prompter.inform(replaceable.error().message(), restored);
        ++m_filesFailed;
        return {};
    }
    if (Status removed = removeFile(restored); !removed)
        return removed;
    // A backup that vanished meanwhile is passed over, and not logged as restored.
    if (Status renamed = renameFile(backup, restored); !renamed)
        return isNotFound(renamed) ? Status() : renamed;
    m_writes.note(restored);
    if (m_options.logChanges() == Checked) {
        Status logged = m_log.LogIt(ActivityLog::rollBackLine(restored));
        if (!logged && !isNotFound(logged))
            return logged;
    }
    return {};
}

RunOutcome RollBack::fail(const Error& error) {
    m_prompter.inform(error.message());
    leaveRunningState();
    return RunOutcome::Failed;
}

void RollBack::leaveRunningState() {
    // Cleared first: the window reads the flag to set its buttons back.
    m_state.rollBackActive = false;
    m_state.cancelFlag = false;
    m_window.leaveRollBackState();
}

} // namespace zuk
