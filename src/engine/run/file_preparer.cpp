// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/file_preparer.h"

#include "engine/run/replacement_routines.h"
#include "engine/run/run_state.h"
#include "engine/run/yield_hook.h"

#include <system_error>

namespace zuk {

namespace {

// A press of Cancel reaches a preparing thread at its next find.
class StopYield final : public YieldHook {
public:
    StopYield(const std::atomic<bool>& stop, RunState& state) : m_stop(stop), m_state(state) {}
    void yield() override {
        if (m_stop.load(std::memory_order_relaxed))
            m_state.cancelFlag = true;
    }

private:
    const std::atomic<bool>& m_stop;
    RunState& m_state;
};

} // namespace

FilePreparer::FilePreparer(int threads, const OptionsSnapshot& options, bool lineBreakRoutine,
                           EditRequest request, const RunEntries* entries, EntryPrefilter prefilter)
    : m_lineBreakRoutine(lineBreakRoutine), m_request(std::move(request)), m_entries(entries),
      m_prefilter(std::move(prefilter)), m_own{options(), {}} {
    try {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back(&FilePreparer::work, this, Preparer{options(), {}});
    } catch (const std::system_error&) {
        // No more threads to be had: the taking thread prepares what the others don't.
    }
}

FilePreparer::~FilePreparer() {
    cancel();
    for (std::thread& thread : m_threads)
        thread.join();
}

void FilePreparer::add(const QString& path) {
    auto job = std::make_shared<Job>();
    job->path = path;
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wakeWorker.notify_one();
}

qsizetype FilePreparer::waiting() const {
    const std::lock_guard lock(m_mutex);
    return qsizetype(m_jobs.size());
}

std::optional<Edit> FilePreparer::takeNext(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    // Rather than wait for the oldest, the taking thread prepares the next file nobody has
    // started, so that both cores stay busy. A bounded number is started ahead.
    while (!m_jobs.empty() && !m_jobs.front()->done && m_started < m_jobs.size() && !m_stop) {
        std::shared_ptr<Job> job = m_jobs[m_started++];
        lock.unlock();
        prepare(*job, m_own);
        lock.lock();
        job->done = true;
    }
    if (!m_wakeTaker.wait_for(lock, wait, [&] { return !m_jobs.empty() && m_jobs.front()->done; }))
        return std::nullopt;
    std::shared_ptr<Job> job = std::move(m_jobs.front());
    m_jobs.pop_front();
    --m_started;
    return std::move(job->edit);
}

void FilePreparer::cancel() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wakeWorker.notify_all();
}

void FilePreparer::prepare(Job& job, Preparer& preparer) {
    RunOptions& options = *preparer.options;
    RunState state;
    StopYield yield(m_stop, state);
    ReplacementRoutines routines(options, state, yield);
    routines.setRequest(m_request);
    if (m_entries) {
        if (!preparer.passes)
            preparer.passes = routines.entryPasses(*m_entries, m_lineBreakRoutine);
        job.edit = routines.editFileEntries(job.path, *m_entries, *preparer.passes, m_prefilter);
        return;
    }
    job.edit = m_lineBreakRoutine
                   ? routines.CleanFileCRLF(job.path, options.searchText(), options.replaceText())
                   : routines.CleanFile(job.path, options.searchText(), options.replaceText());
}

void FilePreparer::work(Preparer preparer) {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wakeWorker.wait(lock, [&] { return m_stop || m_started < m_jobs.size(); });
            if (m_stop)
                return;
            job = m_jobs[m_started++];
        }
        prepare(*job, preparer);
        {
            const std::lock_guard lock(m_mutex);
            job->done = true;
        }
        m_wakeTaker.notify_all();
    }
}

} // namespace zuk
