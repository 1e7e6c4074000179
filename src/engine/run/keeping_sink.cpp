// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/keeping_sink.h"

#include "engine/files/file_identity.h"

namespace zuk {

KeepingSink::KeepingSink(RunWindow& window, EditSink* commit, Observer observer)
    : m_window(window), m_commit(commit), m_observer(std::move(observer)) {}

EditRequest KeepingSink::request() const {
    EditRequest request = m_commit ? m_commit->request() : EditRequest{};
    request.collectFinds = true;
    // A file streamed is written while it is read: a dry run keeps the new text in memory.
    request.inMemory = request.inMemory || !m_commit;
    return request;
}

SinkOutcome KeepingSink::take(Edit& edit, ItemKind kind, RunCounters& counters) {
    KeptEdit kept{edit, kind, {}, {}, SinkOutcome::taken()};
    if (edit.result.finds() > 0 && m_observer) {
        if (kind == ItemKind::RightBoxText) {
            kept.originalText = m_window.rightBoxText();
        } else {
            // The finds are placed in the bytes the edit read: a file changed since is refused.
            const Status same =
                edit.identity ? checkSameAsRead(edit.path, *edit.identity) : Status();
            Result<LoadedBytes> read =
                same ? readWholeFile(edit.path) : Result<LoadedBytes>(same.error());
            if (!read) {
                kept.outcome = SinkOutcome::subjectFailed(read.error(), edit.path);
                if (edit.result.counted())
                    counters.totFiles += 1;
                m_observer(kept);
                return kept.outcome;
            }
            kept.original = std::move(read.value().bytes);
        }
    }
    if (m_commit) {
        kept.outcome = m_commit->take(edit, kind, counters);
    } else if (edit.result.counted()) {
        // Counted as the commit counts, with nothing stored.
        counters.totFiles += 1;
        if (edit.result.finds() > 0) {
            counters.replaceMade += edit.result.finds();
            counters.filesDone += 1;
        }
    }
    if (m_observer)
        m_observer(kept);
    return kept.outcome;
}

} // namespace zuk
