// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/matcher.h"
#include "engine/run/edit.h"
#include "engine/run/run_entries.h"
#include "engine/run/run_options.h"
#include "engine/run/run_state.h"
#include "engine/run/streamed_edit.h"
#include "engine/run/yield_hook.h"
#include "engine/text/working_text.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace zuk {

class ReplaceLoop;

// The search text and its line-break variants: one entry per blank of the text, each with
// that blank turned into a line break (keeping a blank on the left or right when asked).
// The keep-space options are read once for every blank.
QStringList BuildVariantList(const QString& searchText, const RunOptions& options);

// The matchers of one edit, applied one after another, each to what the ones before left.
using MatcherPasses = std::vector<std::unique_ptr<const Matcher>>;
// The matchers of each entry of a batch; an entry whose search can't be made holds why.
using EntryPasses = std::vector<Result<MatcherPasses>>;

// Makes a subject's edit: loads or streams a file (or takes the right-hand text), finds and
// replaces with each matcher in turn through the one replace loop, and gives the new content
// with the result and the messages of any failure. Nothing is saved or shown here, but the
// observer sees the working text. A file streams through a buffer when it has one matcher
// whose longest match is bounded and that searches bytes; otherwise it is loaded whole.
class ReplacementRoutines {
public:
    ReplacementRoutines(const RunOptions& options, const RunState& state, YieldHook& yieldHook);

    // Asked once a file is opened and identified; false passes it over (a second name of a
    // file the run has handled). Unset: every file is taken.
    void setAdmission(std::function<bool(const FileIdentity&)> admit) {
        m_admit = std::move(admit);
    }
    // Shown the working text: a file as loaded (or its beginning while it streams) and the
    // text a pass left. Unset: nothing is shown.
    void setObserver(std::function<void(const WorkingText&)> observe) {
        m_observe = std::move(observe);
    }
    void setRequest(EditRequest request) { m_request = std::move(request); }
    // The size of the buffer a file streams through, and the longest line it may grow to for
    // a search line by line (for tests).
    void setStreamBufferSize(qsizetype bytes, qsizetype longestLine = StreamedEdit::kLongestLine) {
        m_streamBufferSize = bytes;
        m_longestLine = longestLine;
    }

    Edit CleanFile(const QString& path, const QString& searchText, const QString& replaceText);
    Edit CleanText(const QString& text, const QString& searchText, const QString& replaceText);
    Edit CleanFileCRLF(const QString& path, const QString& searchText, const QString& replaceText);
    Edit CleanTextCRLF(const QString& text, const QString& searchText, const QString& replaceText);

    Edit editFile(const QString& path, const MatcherPasses& passes);
    Edit editText(const QString& text, const MatcherPasses& passes);

    // The matchers of each entry as the options choose them (with the line-break variants
    // when `lineBreaks`), made once for the files of a thread. An empty search makes none.
    EntryPasses entryPasses(const RunEntries& entries, bool lineBreaks) const;
    // Every entry in turn on a file read once, each on what the ones before it left, as the
    // runs of the entries one after another would: an entry that fails leaves the text as it
    // found it. The edit's `entries` hold each one's result; a file too big to hold whole is
    // left to be edited entry by entry. The prefilter, when set, skips entries.
    Edit editFileEntries(const QString& path, const RunEntries& entries, const EntryPasses& passes,
                         const EntryPrefilter& prefilter = {});

private:
    enum class Streamed { Done, NeedsWholeText };
    Streamed streamFile(Edit& edit, const Matcher& matcher, ReplaceLoop& loop);
    bool loadFile(Edit& edit, TextBuffer& buffer);
    void replacePasses(Edit& edit, TextBuffer& buffer, const MatcherPasses& passes,
                       ReplaceLoop& loop);
    // The changed text, and its encoding, as the edit's new content.
    void keepChanged(Edit& edit, TextBuffer& buffer);
    // False when the file is passed over.
    bool admit(Edit& edit, const FileIdentity& identity);
    void openFailed(Edit& edit, const Error& error);
    void fail(Edit& edit, const Error& error);
    void observe(const WorkingText& text) const;
    // The matchers the options choose: the literal search of each text, or the expression.
    Result<MatcherPasses> passesFor(const QStringList& searchTexts,
                                    const QString& replaceText) const;
    // The edit of a subject whose search was refused.
    Edit refused(const QString& path, const Error& error);
    // Makes one edit: running out of memory is a failure of its subject.
    template <typename Routine> Edit guarded(Edit edit, Routine routine);

    const RunOptions& m_options;
    const RunState& m_state;
    YieldHook& m_yield;
    std::function<bool(const FileIdentity&)> m_admit;
    std::function<void(const WorkingText&)> m_observe;
    EditRequest m_request;
    qsizetype m_streamBufferSize;
    qsizetype m_longestLine = StreamedEdit::kLongestLine;
};

} // namespace zuk
