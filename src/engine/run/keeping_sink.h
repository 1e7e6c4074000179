// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit_sink.h"
#include "engine/run/run_window.h"

#include <QByteArray>

#include <functional>

namespace zuk {

// One subject as a keeping sink hands it on: its edit with the finds, and the subject as it
// was before the edit, from which their places are derived.
struct KeptEdit {
    const Edit& edit;
    ItemKind kind;
    QByteArray original;  // a file's bytes as stored (empty for the text, or a failed file)
    QString originalText; // the right-hand text
    SinkOutcome outcome;  // what became of the edit (Taken, or the subject's failure)
};

// A sink that keeps each edit's finds for a listing, a diff or a preview. Without a commit it
// is a dry run: nothing is written, asked or logged, and the counters are those the commit
// would have counted. With one, every edit goes on to it after the old subject was read.
class KeepingSink final : public EditSink {
public:
    using Observer = std::function<void(const KeptEdit&)>;

    KeepingSink(RunWindow& window, EditSink* commit, Observer observer);

    EditRequest request() const override;
    bool writes() const override { return m_commit != nullptr; }
    SinkOutcome take(Edit& edit, ItemKind kind, RunCounters& counters) override;

private:
    RunWindow& m_window;
    EditSink* m_commit;
    Observer m_observer;
};

} // namespace zuk
