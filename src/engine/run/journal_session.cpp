// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/journal_session.h"

#include "engine/files/atomic_file.h"
#include "engine/run/search_run.h"

namespace zuk {

JournalSession::JournalSession(const QString& path) : m_path(path) {
    if (path.isEmpty())
        return;
    m_folder = std::make_unique<JournalFolder>(path);
    // Opened now when it exists (a journal that can't be opened keeps no link of a file), and
    // by the first run otherwise; the writers ask on any thread, so the check only reads.
    (void)m_folder->open(false);
    setKeptLinkCheck([folder = m_folder.get()](quint64 device, quint64 inode) {
        return folder->keepsFile(device, inode);
    });
}

JournalSession::~JournalSession() {
    if (m_journal)
        (void)end();
    if (m_folder)
        setKeptLinkCheck({});
}

Status JournalSession::begin(SearchRun& run, RunInfo info, JournalLimits limits) {
    if (!m_folder)
        return {};
    if (m_journal)
        (void)end();
    m_folder->setLimits(limits);
    auto journal = std::make_unique<RunJournal>(*m_folder, std::move(info));
    if (Status ready = journal->prepare(); !ready)
        return ready;
    m_journal = std::move(journal);
    m_run = &run;
    run.setJournal(m_journal.get());
    return {};
}

QStringList JournalSession::end(Status* ended) {
    if (!m_journal)
        return {};
    m_run->setJournal(nullptr);
    m_run = nullptr;
    const Status finished = m_journal->finish();
    if (ended)
        *ended = finished;
    const QStringList notKept = m_journal->notKept();
    m_journal.reset();
    return notKept;
}

} // namespace zuk
