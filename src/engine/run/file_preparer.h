// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit.h"
#include "engine/run/replacement_routines.h"
#include "engine/run/run_entries.h"
#include "engine/run/run_options.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zuk {

// Options that can't change during a run, copied for each thread that reads them.
using OptionsSnapshot = std::function<std::unique_ptr<RunOptions>()>;

// A small pool of threads that make the edits of files for a run whose options are fixed: each
// file is loaded or streamed, searched, replaced and written to its temporary file, and its
// edit waits, with the messages of its routine, until the run's own thread takes it (in the
// order the files were added) and hands it to its sink. What is not taken is discarded. Every
// edit carries the identity of its file, by which the run tells a second name of a file.
class FilePreparer {
public:
    // `entries`, when given (it outlives the pool): each file gets all of them in one pass.
    FilePreparer(int threads, const OptionsSnapshot& options, bool lineBreakRoutine,
                 EditRequest request, const RunEntries* entries = nullptr,
                 EntryPrefilter prefilter = {});
    ~FilePreparer();
    FilePreparer(const FilePreparer&) = delete;
    FilePreparer& operator=(const FilePreparer&) = delete;

    void add(const QString& path);
    // Files added and not yet taken.
    qsizetype waiting() const;
    // The oldest file added, once prepared; nothing when it isn't ready within `wait`.
    std::optional<Edit> takeNext(std::chrono::milliseconds wait);
    // The threads stop at their next find; nothing more is prepared.
    void cancel();

private:
    struct Job {
        QString path;
        bool done = false;
        Edit edit;
    };
    // A thread's own options, and its matchers of the entries (made at its first file).
    struct Preparer {
        std::unique_ptr<RunOptions> options;
        std::optional<EntryPasses> passes;
    };
    void work(Preparer preparer);
    void prepare(Job& job, Preparer& preparer);

    bool m_lineBreakRoutine;
    EditRequest m_request;
    const RunEntries* m_entries;
    EntryPrefilter m_prefilter;
    Preparer m_own; // the taking thread's, when it prepares a file
    mutable std::mutex m_mutex;
    std::condition_variable m_wakeWorker;
    std::condition_variable m_wakeTaker;
    std::deque<std::shared_ptr<Job>> m_jobs; // in order; the first is the next to take
    size_t m_started = 0;                    // jobs of m_jobs handed to a thread
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

} // namespace zuk
