// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/search_run.h"

#include "engine/files/path_bytes.h"
#include "engine/files/path_text.h"
#include "engine/match/regex_matcher.h"

#include <algorithm>
#include <deque>
#include <new>
#include <optional>

namespace zuk {

namespace {

const QString kNoPath = QStringLiteral("You must select a Directory or File before continueing");
const QString kNoFileType =
    QStringLiteral("You must select or enter atleast one file type to search before continueing");
const QString kBadExtension = QStringLiteral(
    "You have selected to enter an extension to search but have filled it out incorrectly.\r\n"
    "\r\nYour extension must start with a . (Dot)   IE:  .ext\r\n\r\nFor more help please see "
    "the help file.");
const QString kConfirm =
    QStringLiteral("WARNING! These changes cannot be undone!!\r\n\r\nDo you want to continue?");
const QString kDone = QStringLiteral("ZUK Done");

} // namespace

SearchRun::SearchRun(RunOptions& options, RunState& state, RunWindow& window, Prompter& prompter,
                     YieldHook& yieldHook, const ActivityLog& log, BackupMaker makeBackup)
    : m_options(options), m_state(state), m_window(window), m_prompter(prompter),
      m_yield(yieldHook), m_log(log), m_routines(options, state, yieldHook),
      m_commit(options, window, log, std::move(makeBackup), m_writes, m_handled),
      m_typeFilter(options) {
    m_routines.setAdmission(
        [this](const FileIdentity& file) { return m_admitAll || m_handled.note(file); });
    m_routines.setObserver([this](const WorkingText& text) { m_window.showWorkingText(text); });
}

void SearchRun::prepareInParallel(int threads, OptionsSnapshot snapshot) {
    m_preparers = threads;
    m_snapshot = std::move(snapshot);
}

Status SearchRun::checkSearchTexts(const QString& search, const QString& replace) const {
    if (!m_options.regex())
        return {};
    return checkRegex(search, replace, m_options.wholeWords());
}

bool SearchRun::validate(const QString& searchText, const QString& replaceText) {
    if (searchText.isEmpty()) {
        out().inform(kNoSearchText);
        return false;
    }
    if (const Status valid = checkSearchTexts(searchText, replaceText); !valid) {
        out().inform(valid.error().description);
        return false;
    }
    const RunMode mode = m_options.mode();
    if (mode != RunMode::RightBoxText && !m_paths && m_options.path().isEmpty()) {
        out().inform(kNoPath);
        return false;
    }
    const FileTypeValues types = m_options.fileTypes();
    // Include patterns that name files are enough on their own.
    if (m_options.allTypes() == Unchecked && m_options.customType() == Unchecked &&
        !(mode == RunMode::AllFiles && includeNamesFiles(m_options)) &&
        std::all_of(types.begin(), types.end(), [](CheckValue v) { return v == Unchecked; })) {
        out().inform(kNoFileType);
        return false;
    }
    if (m_options.allTypes() == Unchecked && m_options.customType() == Checked &&
        !m_options.customExtension().startsWith(u'.')) {
        out().inform(kBadExtension);
        return false;
    }
    if (mode == RunMode::AllFiles)
        return prepareWalks();
    // A file given alone must exist; one of several that is missing fails on its own.
    if (mode == RunMode::SelectedFile && !m_paths && pathIsMissing(m_options.path())) {
        out().inform(missingPathText(m_options.path()));
        return false;
    }
    return true;
}

bool SearchRun::prepareWalks() {
    m_walks.clear();
    for (const QString& path : m_paths ? *m_paths : QStringList{m_options.path()}) {
        // Neither the root nor, for a typo, the parent of a path that names nothing is walked.
        const PathDirectory named = directoryOfPathText(path);
        if (named.kind != PathDirectory::Kind::Directory) {
            out().inform(pathRefusalText(named.kind, path, kNoPath));
            m_walks.clear();
            return false;
        }
        // A directory named twice (or by two of its files) is walked once.
        if (std::any_of(m_walks.begin(), m_walks.end(),
                        [&](const Walk& walk) { return walk.directory == named.directory; }))
            continue;
        Result<std::unique_ptr<FileSelection>> selection =
            FileSelection::make(m_options, named.directory, *m_filter);
        if (!selection) {
            out().inform(selection.error().message());
            m_walks.clear();
            return false;
        }
        m_walks.push_back(Walk{named.directory, std::move(selection.value()), {}});
    }
    return true;
}

RunOutcome SearchRun::start() {
    if (m_state.runActive) {
        m_state.cancelFlag = true;
        m_state.batchCancelFlag = true;
        return RunOutcome::CancelRequested;
    }
    if (m_entries)
        return startEntries();
    if (!validate(m_options.searchText(), m_options.replaceText()))
        return RunOutcome::Refused;
    if (m_options.searchOnly() == Unchecked && !m_state.isBatch && m_sink->writes() &&
        !m_prompter.confirm(kConfirm))
        return RunOutcome::Declined;
    if (!collectWalks())
        return RunOutcome::Refused;

    m_counters = {};
    m_handled.clear();
    m_filesFailed = 0;
    m_routines.setRequest(m_sink->request());
    if (m_options.logChanges() == Checked && m_sink->writes()) {
        // The selection applies to the walks alone.
        const Status logged = m_log.logRunHeader(
            m_options.searchText(), m_options.replaceText(), m_options.searchOnly(),
            m_options.mode() == RunMode::AllFiles ? selectionLines(m_options) : QStringList());
        if (!logged && logged.error().number != ErrorNumber::FileNotFound)
            return abort(logged.error(), m_log.path());
    }
    return enterRun();
}

RunOutcome SearchRun::enterRun() {
    m_state.runActive = true;
    m_window.enterRunState();
    m_window.showCounters(m_counters);
    try {
        return work(m_options.mode());
    } catch (const std::bad_alloc&) {
        // Outside any one file (the listing of a huge tree): the run can't go on.
        return abort(makeError(ErrorNumber::OutOfMemory), {});
    }
}

Status SearchRun::syncWrites() {
    return m_writes.syncAll();
}

RunOutcome SearchRun::work(RunMode mode) {
    const Step step = mode == RunMode::RightBoxText              ? runText()
                      : mode == RunMode::SelectedFile && m_paths ? runListedFiles()
                      : mode == RunMode::SelectedFile            ? runSelectedFile()
                                                                 : runAllFiles();
    if (step == Step::Abort)
        return RunOutcome::Failed;
    if (step == Step::Refused)
        return RunOutcome::Refused;
    // A batch syncs once, after its last entry.
    if (!m_state.isBatch) {
        if (const Status synced = m_writes.syncAll(); check(synced) == Step::Abort)
            return RunOutcome::Failed;
    }

    const bool cancelled = m_state.cancelFlag;
    m_state.cancelFlag = false;
    m_state.runActive = false;
    m_window.leaveRunState();
    if (m_entries) {
        if (check(releaseEntries(true), m_log.path()) == Step::Abort)
            return RunOutcome::Failed;
    } else if (m_options.logChanges() == Checked && m_sink->writes() &&
               check(m_log.logRunTrailer(m_counters, m_options.searchOnly()), m_log.path()) ==
                   Step::Abort) {
        return RunOutcome::Failed;
    }
    if (m_options.mode() != RunMode::RightBoxText)
        m_window.showWorkingText({});
    m_window.setCurrentPath({});
    const RunOutcome outcome = cancelled ? RunOutcome::Cancelled : RunOutcome::Completed;
    if (m_state.isBatch)
        return outcome;
    if (m_options.mode() != RunMode::RightBoxText && m_closingBox)
        m_prompter.inform(kDone);
    if (m_options.searchOnly() == Checked && m_options.logChanges() == Checked && m_sink->writes())
        m_window.openLogViewer();
    return outcome;
}

SearchRun::Step SearchRun::runText() {
    const QString text = m_window.rightBoxText();
    Edit edit =
        m_options.doAllCrlf() == Unchecked
            ? m_routines.CleanText(text, m_options.searchText(), m_options.replaceText())
            : m_routines.CleanTextCRLF(text, m_options.searchText(), m_options.replaceText());
    const Step step = takeEdit(edit, ItemKind::RightBoxText);
    if (step != Step::Abort)
        m_window.showCounters(m_counters);
    return step;
}

SearchRun::Step SearchRun::runSelectedFile() {
    if (const std::optional<qsizetype> separator = lastSeparator(m_options.path()))
        sweepFolder(m_options.path().first(std::max<qsizetype>(*separator, 1)));
    const Step step = runFile(m_options.path(), ItemKind::SelectedFile);
    if (step != Step::Abort)
        m_window.showCounters(m_counters);
    return step;
}

SearchRun::Step SearchRun::runListedFiles() {
    for (const QString& path : std::as_const(*m_paths)) {
        if (const std::optional<qsizetype> separator = lastSeparator(path))
            sweepFolder(path.first(std::max<qsizetype>(*separator, 1)));
        m_window.setCurrentPath(displayPath(path));
        const Step step = pathIsMissing(path) ? forEachEntry([&](size_t) {
            return fileFailure(makeError(ErrorNumber::FileNotFound), path);
        })
                                              : runFile(path, ItemKind::SelectedFile);
        if (step == Step::Abort)
            return step;
        m_window.showCounters(m_counters);
        m_yield.yield();
        if (m_state.cancelFlag)
            break;
    }
    return Step::Continue;
}

SearchRun::Step SearchRun::runFile(const QString& path, ItemKind kind) {
    if (m_entries)
        return runFileEntries(path, kind);
    Edit edit;
    if (m_options.doAllCrlf() == Unchecked) {
        edit = m_routines.CleanFile(path, m_options.searchText(), m_options.replaceText());
    } else {
        m_options.setMakeBackups(Unchecked);
        edit = m_routines.CleanFileCRLF(path, m_options.searchText(), m_options.replaceText());
    }
    // A second name of a file already handled (a link beside its target) is passed over.
    if (edit.passedOver)
        return Step::Continue;
    return takeEdit(edit, kind);
}

SearchRun::Step SearchRun::takeEdit(Edit& edit, ItemKind kind) {
    for (const Message& message : std::as_const(edit.messages))
        out().show(message);
    if (edit.result.failed())
        ++m_filesFailed;
    const SinkOutcome outcome = m_sink->take(edit, kind, *m_counting);
    switch (outcome.kind) {
    case SinkOutcome::Kind::Taken:
        break;
    case SinkOutcome::Kind::SubjectFailed:
        return fileFailure(outcome.error, outcome.subject);
    case SinkOutcome::Kind::RunStepFailed:
        abort(outcome.error, outcome.subject);
        return Step::Abort;
    }
    return Step::Continue;
}

SearchRun::Step SearchRun::fileFailure(const Error& error, const QString& path) {
    if (error.number == ErrorNumber::DiskFull || error.number == ErrorNumber::DeviceIo) {
        abort(error, path);
        return Step::Abort;
    }
    out().inform(error.message(), path);
    ++m_filesFailed;
    return Step::FileFailed;
}

SearchRun::Step SearchRun::folderFailure(const Error& error, const QString& folder) {
    // One that vanished meanwhile is passed over, as a missing file is.
    if (error.number == ErrorNumber::FileNotFound)
        return Step::Continue;
    return forEachEntry([&](size_t) { return fileFailure(error, folder); });
}

void SearchRun::sweepFolder(const QString& folder) {
    // A search-only run changes nothing, not even what a killed writer left.
    if (m_options.searchOnly() == Unchecked && m_sink->writes())
        m_writes.sweepFolder(folder);
}

SearchRun::Step SearchRun::runAllFiles() {
    std::vector<Walk> walks = std::exchange(m_walks, {});
    Step step = Step::Continue;
    for (Walk& walk : walks) {
        m_walkDirectory = walk.directory;
        m_selection = std::move(walk.selection);
        m_directories =
            m_sink->writes()
                ? WalkedDirectories(std::move(walk.list))
                : WalkedDirectories(std::make_unique<WalkAhead>(
                      walk.directory, m_options.subDirectories(), m_walkThreads, &walkFilter()));
        step = m_preparers > 0 ? runAllFilesPrepared() : runAllFilesInTurn();
        // The walk ends before its selection is read.
        m_directories = {};
        if (step != Step::Abort && step != Step::Refused)
            reportIgnoreProblems();
        m_selection.reset();
        if (step == Step::Abort || step == Step::Refused || m_state.cancelFlag)
            break;
    }
    return step;
}

SearchRun::Step SearchRun::runAllFilesInTurn() {
    const QChar separator = nativeSeparator();
    for (qsizetype i = 0;; ++i) {
        const std::optional<Reached> reached = reachDirectory(i);
        if (reached == Reached::TooMany)
            return refuseTooManyDirectories();
        if (reached != Reached::Directory)
            break;
        const QString dir = m_directories.directory(i);
        const Result<DirectoryFiles> files = m_directories.filesOf(i);
        if (!files) {
            if (folderFailure(files.error(), dir) == Step::Abort)
                return Step::Abort;
        } else {
            if (files.value().temporaries)
                sweepFolder(dir);
            for (const QString& name : files.value().names) {
                if (walkFilter().takesFile(dir, name)) {
                    const QString fullPath = dir + separator + name;
                    m_window.setCurrentPath(displayPath(fullPath));
                    if (runFile(fullPath, ItemKind::DirectoryFile) == Step::Abort)
                        return Step::Abort;
                }
                m_window.showCounters(m_counters);
                m_yield.yield();
                if (m_state.cancelFlag)
                    break;
            }
        }
        if (m_state.cancelFlag)
            break;
    }
    return Step::Continue;
}

// The walk of runAllFiles, with the files prepared ahead by the pool: the same names, messages,
// counters, log lines and renames in the same order, and a Cancel that drops what was
// prepared but not yet committed.
SearchRun::Step SearchRun::runAllFilesPrepared() {
    const bool lineBreaks = m_options.doAllCrlf() != Unchecked;
    if (lineBreaks)
        m_options.setMakeBackups(Unchecked);
    FilePreparer pool(m_preparers, m_snapshot, lineBreaks, m_sink->request(), m_entries,
                      m_prefilter);
    const qsizetype ahead = 4 * m_preparers + 4; // files prepared ahead of the commits

    struct Name {
        QString path;
        bool taken = false; // of a searched type, given to the pool
        std::optional<Error> listing;
        QString directory;
    };
    std::deque<Name> names;
    qsizetype nextDirectory = 0;
    std::optional<Reached> walked; // where the walk stood at the directory asked for last
    const QChar separator = nativeSeparator();
    // Lists directories until enough files are on their way, or the walk is done or not yet
    // further (waited for a moment when there is nothing else to do).
    const auto listAhead = [&] {
        while (pool.waiting() < ahead) {
            walked = m_directories.reach(nextDirectory,
                                         std::chrono::milliseconds(names.empty() ? 15 : 0));
            if (walked != Reached::Directory)
                return;
            const QString dir = m_directories.directory(nextDirectory);
            const Result<DirectoryFiles> listed = m_directories.filesOf(nextDirectory++);
            if (!listed) {
                names.push_back(Name{{}, false, listed.error(), dir});
                continue;
            }
            if (listed.value().temporaries)
                sweepFolder(dir);
            for (const QString& name : listed.value().names) {
                Name entry{dir + separator + name, walkFilter().takesFile(dir, name), {}, {}};
                if (entry.taken)
                    pool.add(entry.path);
                names.push_back(std::move(entry));
            }
        }
    };
    for (;;) {
        listAhead();
        if (walked == Reached::TooMany)
            return refuseTooManyDirectories();
        if (names.empty()) {
            if (walked == Reached::End)
                break;
            m_yield.yield(); // the walk is not there yet
            if (m_state.cancelFlag)
                break;
            continue;
        }
        Name entry = std::move(names.front());
        names.pop_front();
        if (entry.listing) {
            if (folderFailure(*entry.listing, entry.directory) == Step::Abort)
                return Step::Abort;
            continue;
        }
        if (entry.taken) {
            m_window.setCurrentPath(displayPath(entry.path));
            std::optional<Edit> edit;
            while (!(edit = pool.takeNext(std::chrono::milliseconds(15)))) {
                m_yield.yield();
                if (m_state.cancelFlag)
                    return Step::Continue; // the pool discards the rest
            }
            // A second name of a file already handled (a link beside its target) is passed
            // over, and its edit dropped. Told in the run's order, this sees every file
            // committed before, by its old and new inode.
            if ((!edit->identity || m_handled.note(*edit->identity)) &&
                (m_entries ? takeEntries(*edit, ItemKind::DirectoryFile)
                           : takeEdit(*edit, ItemKind::DirectoryFile)) == Step::Abort)
                return Step::Abort;
        }
        m_window.showCounters(m_counters);
        m_yield.yield();
        if (m_state.cancelFlag)
            break;
    }
    return Step::Continue;
}

SearchRun::Step SearchRun::check(const Status& status, const QString& subject) {
    if (status || status.error().number == ErrorNumber::FileNotFound)
        return Step::Continue;
    abort(status.error(), subject);
    return Step::Abort;
}

RunOutcome SearchRun::abort(const Error& error, const QString& subject) {
    (void)m_writes.syncAll(); // what was written before the failure is made durable all the same
    // What the entries said before it comes first; their runs never reached a trailer.
    if (m_entries)
        (void)releaseEntries(false);
    m_prompter.inform(error.message(), subject);
    m_state.cancelFlag = false;
    if (m_state.runActive) {
        m_state.runActive = false;
        m_window.leaveRunState();
    }
    return RunOutcome::Failed;
}

} // namespace zuk
