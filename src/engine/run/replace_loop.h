// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/matcher.h"
#include "engine/run/edit.h"
#include "engine/run/edit_buffer.h"
#include "engine/run/run_options.h"
#include "engine/run/run_state.h"
#include "engine/run/yield_hook.h"

namespace zuk {

// The one replace loop: finds each match of a matcher in an edit buffer and replaces it,
// unless the run only searches. CaseSensitive and SearchOnly are read afresh at every find; the
// loop yields once per find and stops after one when Cancel was pressed. When replacing, the
// search goes on after the replacement, so a replacement is never searched again; when only
// searching, one unit after the find's start, so overlapping finds all count.
class ReplaceLoop {
public:
    ReplaceLoop(const RunOptions& options, const RunState& state, YieldHook& yield,
                const EditRequest& request, const QString& subject = {});

    // One pass over `buffer`: the finds handled, or the failure that ended it (its finds are
    // then not reported). The finds' places go to `finds` when the request asks for them.
    Result<qint64> run(EditBuffer& buffer, const Matcher& matcher, QList<Find>& finds);

private:
    const RunOptions& m_options;
    const RunState& m_state;
    YieldHook& m_yield;
    const EditRequest& m_request;
    QString m_subject;  // what the request's take is asked about
    qint64 m_index = 0; // finds met so far, over the passes of one edit
};

} // namespace zuk
