// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/journal/journal_folder.h"
#include "engine/journal/run_journal.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace zuk {

class SearchRun;

// The undo journal as a front end keeps it: one folder for the process, whose links the writer
// knows as no other names of a user's files (else a file Roll Back put back would be refused by
// later runs), and the journal of the run under way. One per process.
class JournalSession {
public:
    // An empty path: no journal (no application folder).
    explicit JournalSession(const QString& path);
    ~JournalSession();
    JournalSession(const JournalSession&) = delete;
    JournalSession& operator=(const JournalSession&) = delete;

    bool enabled() const { return m_folder != nullptr; }
    const QString& path() const { return m_path; }
    // The folder, for an undo or a history; null without a journal.
    JournalFolder* folder() { return m_folder.get(); }

    // Starts the journal of a run (a batch's entries together) with these limits, and gives it
    // to `run`. Nothing is written until the first file; an error: the journal can't be
    // written, and the run has none.
    Status begin(SearchRun& run, RunInfo info, JournalLimits limits);
    bool running() const { return m_journal != nullptr; }
    // After the run's last sync: ends the record and takes the journal from the run. Gives the
    // files that can't be taken back (over the limit); an error ending the record in `ended`.
    QStringList end(Status* ended = nullptr);

private:
    QString m_path;
    std::unique_ptr<JournalFolder> m_folder;
    std::unique_ptr<RunJournal> m_journal;
    SearchRun* m_run = nullptr;
};

} // namespace zuk
