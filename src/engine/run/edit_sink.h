// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/edit.h"
#include "engine/run/run_state.h"

#include <QString>

namespace zuk {

// How the run came to a subject, which decides where its edit goes and how the log names it.
enum class ItemKind { RightBoxText, SelectedFile, DirectoryFile };

// What became of an edit a sink took. A failure of the subject alone gets its message and the
// run goes on, unless it is one that ends every run (a full disk); a failure of one of the
// run's own steps (the log) ends the run.
struct SinkOutcome {
    enum class Kind { Taken, SubjectFailed, RunStepFailed } kind = Kind::Taken;
    Error error;
    QString subject; // what the failure's message names

    static SinkOutcome taken() { return {}; }
    static SinkOutcome subjectFailed(Error error, QString subject) {
        return {Kind::SubjectFailed, std::move(error), std::move(subject)};
    }
    static SinkOutcome runStepFailed(Error error, QString subject) {
        return {Kind::RunStepFailed, std::move(error), std::move(subject)};
    }
};

// The sink seam: what happens to each subject's edit, taken in the run's order after the
// routine's messages were shown. The run's commit is one kind (counted, backed up, renamed,
// logged); a dry run or a preview keeps or drops edits instead.
class EditSink {
public:
    virtual ~EditSink() = default;
    // What the replace loop collects for this sink.
    virtual EditRequest request() const { return {}; }
    // Takes one subject's edit (never a second name of a file already taken: the run passes
    // those over) and counts it in the run's counters.
    virtual SinkOutcome take(Edit& edit, ItemKind kind, RunCounters& counters) = 0;
};

} // namespace zuk
