// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/preview_session.h"

namespace zuk {

PreviewSession::PreviewSession(RunOptionValues values, RunState& state, RunWindow& window,
                               Prompter& prompter, YieldHook& yield, const ActivityLog& log,
                               BackupMaker makeBackup)
    : m_options(std::move(values)), m_state(state), m_window(window), m_prompter(prompter),
      m_yield(yield), m_log(log), m_makeBackup(std::move(makeBackup)) {}

PreviewSession::~PreviewSession() = default;

std::unique_ptr<SearchRun> PreviewSession::makeRun() {
    // Every run starts from the settings as previewed (a run turns backups off in the
    // line-break-tolerant mode).
    auto run = std::make_unique<SearchRun>(m_options, m_state, m_window, m_prompter, m_yield, m_log,
                                           m_makeBackup);
    if (m_preparers > 0) {
        const RunOptionValues values = m_options.values;
        run->prepareInParallel(m_preparers,
                               [values] { return std::make_unique<ValueRunOptions>(values); });
    }
    return run;
}

RunOutcome PreviewSession::preview() {
    m_results.clear();
    std::unique_ptr<SearchRun> run = makeRun();
    const bool wholeFiles = wholeFilesOnly();
    KeepingSink keeping(m_window, nullptr, [this, wholeFiles](const KeptEdit& kept) {
        if (m_results.add(kept, wholeFiles) && m_added)
            m_added(m_results.size() - 1);
    });
    run->setSink(keeping);
    run->setClosingBox(false);
    const RunOutcome outcome = run->start();
    m_filesFailed = run->filesFailed();
    return outcome;
}

RunOutcome PreviewSession::apply() {
    const RunOptionValues previewed = m_options.values;
    std::unique_ptr<SearchRun> run = makeRun();
    PreviewSelection selection(m_results);
    run->setFileFilter(selection);
    PreviewApplySink sink(m_results, run->commitSink(), m_window);
    run->setSink(sink);
    if (m_applyHooks.begin && !m_applyHooks.begin(*run, m_options))
        return RunOutcome::Declined;
    const RunOutcome outcome = run->start();
    if (m_applyHooks.end)
        m_applyHooks.end();
    m_filesFailed = run->filesFailed();
    m_options.values = previewed;
    return outcome;
}

} // namespace zuk
