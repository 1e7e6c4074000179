// SPDX-License-Identifier: GPL-3.0-or-later
// A batch as one run. Each entry's own run, one after another, is the measure: the same bytes
// in every file, the same counters, the same messages in the same order and the same log.
// - An entry with an empty search is refused where its run would be; the others go on. The
//   checks of everything else (path, file types, the walk) are the same for every entry:
//   made once, and a refusal said by each entry.
// - A file is read once and each entry applied to what the ones before it left; an entry
//   without finds leaves the text as it found it (its run wouldn't have written). The file is
//   written once, when the text at the end differs from the file: one backup, of the file
//   before the batch.
// - When that write fails, the runs one after another would each have found the file as it
//   was, and failed in turn: the entries are then applied to it one run after another. So is
//   a file too big to hold whole (backed up at its first write only).
// - Each entry's messages and log lines are kept and said after those of the entries before
//   it; the first entry that runs says its own at once.
// - Ctrl+C stops between two files: a file has every entry applied or none (but for one too
//   big to hold, which stops inside the entry at hand, as a run does). Every entry's
//   counters and trailer then count the files done.
// - A full disk or an I/O error ends the batch at that file: the files before it have every
//   entry, the rest none.
#include "engine/run/search_run.h"

#include <QScopeGuard>

namespace zuk {

void SearchRun::setEntries(const RunEntries* entries) {
    m_entries = entries;
    m_entryPasses.reset();
}

void SearchRun::enterEntry(size_t entry) {
    m_out = m_transcripts[entry].get();
    m_counting = entry == m_liveEntry ? &m_counters : &m_entryRuns[entry].counters;
}

void SearchRun::leaveEntry() {
    m_out = nullptr;
    m_counting = &m_counters;
}

RunOutcome SearchRun::startEntries() {
    const RunEntries& entries = *m_entries;
    m_entryRuns.assign(entries.size(), {});
    m_transcripts.clear();
    m_entryPasses.reset();
    std::optional<size_t> live;
    for (size_t i = 0; i < entries.size(); ++i) {
        m_transcripts.push_back(std::make_unique<EntryTranscript>(m_prompter, m_log));
        m_entryRuns[i].refused = entries[i].search.isEmpty();
        if (m_entryRuns[i].refused)
            m_transcripts[i]->inform(kNoSearchText);
        else if (!live)
            live = i;
    }
    bool ready = false;
    if (live) {
        EntryTranscript said(m_prompter, m_log);
        m_out = &said;
        ready = validate(entries[*live].search, entries[*live].replace) && collectWalks();
        m_out = nullptr;
        for (size_t i = 0; !ready && i < entries.size(); ++i) {
            if (m_entryRuns[i].refused)
                continue;
            m_entryRuns[i].refused = true;
            for (const Message& message : said.messages())
                m_transcripts[i]->show(message);
        }
    }
    if (!ready) {
        for (const std::unique_ptr<EntryTranscript>& transcript : m_transcripts)
            (void)transcript->release();
        m_transcripts.clear();
        return RunOutcome::Refused;
    }
    m_liveEntry = *live;
    m_prefilter = makeEntryPrefilter(m_options, entries);
    for (size_t i = 0; i <= m_liveEntry; ++i)
        (void)m_transcripts[i]->release();

    m_counters = {};
    m_handled.clear();
    m_filesFailed = 0;
    m_routines.setRequest(m_sink->request());
    m_commit.setLineLog(
        [this](const QString& line) { return m_out ? m_out->log(line) : m_log.LogIt(line); });
    const auto closing = qScopeGuard([this] { m_commit.setLineLog({}); });
    if (m_options.logChanges() == Checked && m_sink->writes()) {
        const QStringList more =
            m_options.mode() == RunMode::AllFiles ? selectionLines(m_options) : QStringList();
        for (size_t i = m_liveEntry; i < entries.size(); ++i) {
            if (m_entryRuns[i].refused)
                continue;
            const Status logged = m_transcripts[i]->logLines(m_log.runHeader(
                entries[i].search, entries[i].replace, m_options.searchOnly(), more));
            if (!logged)
                return abort(logged.error(), m_log.path());
        }
    }
    return enterRun();
}

Status SearchRun::releaseEntries(bool closed) {
    if (m_transcripts.empty())
        return {};
    m_entryRuns[m_liveEntry].counters = m_counters;
    const bool trailers = closed && m_options.logChanges() == Checked && m_sink->writes();
    Status released;
    for (size_t i = m_liveEntry; i < m_transcripts.size() && released; ++i) {
        EntryTranscript& transcript = *m_transcripts[i];
        if (trailers && !m_entryRuns[i].refused)
            released = transcript.logLines(
                m_log.runTrailer(m_entryRuns[i].counters, m_options.searchOnly()));
        if (released)
            released = transcript.release();
    }
    m_transcripts.clear();
    return released;
}

SearchRun::Step SearchRun::runFileEntries(const QString& path, ItemKind kind) {
    const bool lineBreaks = m_options.doAllCrlf() != Unchecked;
    if (lineBreaks)
        m_options.setMakeBackups(Unchecked);
    if (!m_entryPasses)
        m_entryPasses = m_routines.entryPasses(*m_entries, lineBreaks);
    Edit edit = m_routines.editFileEntries(path, *m_entries, *m_entryPasses, m_prefilter);
    if (edit.passedOver)
        return Step::Continue;
    return takeEntries(edit, kind);
}

SearchRun::Step SearchRun::takeEntries(Edit& edit, ItemKind kind) {
    // Stopped inside the file: it is left as it was.
    if (m_state.cancelFlag)
        return Step::Continue;
    if (edit.entryByEntry)
        return takeEntryByEntry(edit.path, kind);
    if (edit.changed) {
        if (const Status stored = m_commit.commit(edit); !stored)
            return takeEntryByEntry(edit.path, kind);
        edit.changed = false;
    }
    return forEachEntry([&](size_t i) {
        Edit own;
        own.path = edit.path;
        own.identity = edit.identity;
        const bool before = edit.entries.empty(); // the file failed before any entry
        own.result = before ? edit.result : edit.entries[i].result;
        own.messages = before ? edit.messages : edit.entries[i].messages;
        return takeEdit(own, kind);
    });
}

SearchRun::Step SearchRun::takeEntryByEntry(const QString& path, ItemKind kind) {
    const bool lineBreaks = m_options.doAllCrlf() != Unchecked;
    // The file was admitted when it was read: its entries' runs read it again.
    m_admitAll = true;
    bool written = false;
    const Step step = forEachEntry([&](size_t i) {
        if (m_state.cancelFlag)
            return Step::Continue;
        const RunEntry& entry = (*m_entries)[i];
        Edit edit = lineBreaks ? m_routines.CleanFileCRLF(path, entry.search, entry.replace)
                               : m_routines.CleanFile(path, entry.search, entry.replace);
        const bool writes = edit.changed && edit.result.counted() && edit.result.finds() > 0;
        m_commit.setBackups(!written);
        const Step taken = takeEdit(edit, kind);
        written = written || (writes && taken == Step::Continue);
        return taken;
    });
    m_commit.setBackups(true);
    m_admitAll = false;
    return step;
}

} // namespace zuk
