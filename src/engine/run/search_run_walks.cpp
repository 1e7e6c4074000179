// SPDX-License-Identifier: GPL-3.0-or-later
// The walks of a directory run: made whole before a run that writes, or followed as they go.
#include "engine/run/search_run.h"

#include "engine/files/path_bytes.h"

#include <algorithm>

namespace zuk {

namespace {

// File names a count keeps from its walk (about 10 MB of them); a bigger tree lists the rest
// of its directories when it reaches them.
constexpr qsizetype kFileNamesToKeep = 100'000;

} // namespace

bool SearchRun::collectWalks() {
    if (m_options.mode() == RunMode::AllFiles && m_sink->writes()) {
        // Walked before the log header, so that a tree too big is refused with nothing written
        // (a run that writes nothing starts on files while its walk goes on: runAllFiles).
        // A count changes nothing, so the files the walk sees are the ones the run would
        // list: they are kept rather than read a second time.
        qsizetype namesToKeep = m_options.searchOnly() == Checked ? kFileNamesToKeep : 0;
        for (Walk& walk : m_walks) {
            walk.list =
                CollectDirectories(walk.directory, m_options.subDirectories(), namesToKeep,
                                   m_walkThreads, walk.selection ? walk.selection.get() : m_filter);
            if (walk.list.tooManyDirectories) {
                out().inform(DirectoryList::tooManyDirectoriesText(walk.directory), walk.directory);
                m_walks.clear();
                return false;
            }
            for (const DirectoryFiles& files : std::as_const(walk.list.files))
                namesToKeep -= std::min(namesToKeep, files.names.size());
        }
    }
    return true;
}

void SearchRun::reportIgnoreProblems() {
    if (!m_selection)
        return;
    for (const IgnoreFileProblem& problem : m_selection->problems()) {
        forEachEntry([&](size_t) {
            out().inform(problem.error.message(), decodePath(problem.path));
            ++m_filesFailed;
            return Step::Continue;
        });
    }
}

std::optional<SearchRun::Reached> SearchRun::reachDirectory(qsizetype index) {
    for (;;) {
        if (const auto reached = m_directories.reach(index, std::chrono::milliseconds(15)))
            return reached;
        m_yield.yield();
        if (m_state.cancelFlag)
            return std::nullopt;
    }
}

SearchRun::Step SearchRun::refuseTooManyDirectories() {
    // Found by a walk ahead of a run that writes nothing: it ends there, as a refusal.
    m_state.cancelFlag = false;
    m_state.runActive = false;
    m_window.leaveRunState();
    m_prompter.inform(DirectoryList::tooManyDirectoriesText(m_walkDirectory), m_walkDirectory);
    return Step::Refused;
}

} // namespace zuk
