// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/atomic_file.h"
#include "engine/files/text_buffer.h"
#include "engine/journal/content_hash.h"
#include "engine/run/prompter.h"
#include "engine/run/routine_result.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zuk {

// One find: where it lies in the subject as stored (bytes of the file, its mark included; for
// the right-hand text, its characters) and what replaced it (nothing when the run only
// searched). The finds of a later line-break pass lie in the text the earlier passes left.
struct Find {
    qint64 offset = 0;
    qint64 length = 0;
    std::optional<QString> replacement;

    bool operator==(const Find&) const = default;
};

// What a sink asks of the replace loop besides finding and replacing. By default nothing, so
// a plain run pays nothing for it.
struct EditRequest {
    bool collectFinds = false;
    // Which finds to replace, by the subject (a file's path; empty for the right-hand text)
    // and their index in its edit (from 0, over all its passes); unset: all. A find not taken
    // is passed over: not replaced, not counted. Asked on the threads that prepare files.
    std::function<bool(const QString& subject, qint64 index)> take;
    // The new text is made in memory, never streamed to a file beside the old one.
    bool inMemory = false;
    // Hash the new content of a file written while it streams (for the undo journal).
    bool hashWritten = false;
    // Where a file written while it streams may be created (see NewFilePlace); asked on the
    // threads that prepare files.
    NewFilePlace place;
};

// The edit seam's value: what the replacement routines made of one subject (a file, or the
// right-hand text), for a sink to commit, keep or drop.
struct Edit {
    QString path;                         // the file; empty for the right-hand text
    std::optional<FileIdentity> identity; // the file the name led to, as it was read
    TextEncoding encoding = TextEncoding::Utf8;
    // False for a file without a mark whose bytes were only searched and replaced as ASCII:
    // it may be one byte per character as well, which reads the same there.
    bool encodingKnown = true;
    RoutineResult result;
    QList<Message> messages; // the routine's, shown when the run takes the edit
    QList<Find> finds;       // when the sink asked for them
    // With several passes, where each pass after the first begins in `finds`.
    QList<qsizetype> passStarts;
    // A second name of a file the run has handled: passed over, nothing to show or count.
    bool passedOver = false;
    // The edit of several entries in one pass (a batch): each entry's own result and messages,
    // in entry order; `result` and `messages` then hold a failure that came before any entry.
    struct EntryOutcome {
        RoutineResult result;
        QList<Message> messages;
    };
    std::vector<EntryOutcome> entries;
    // Too big to be held whole: its entries are applied to it one run after another.
    bool entryByEntry = false;

    // The new content, when it differs from the old: the whole text, or a file written while
    // the old one streamed, waiting to be renamed over it (or why writing it failed).
    bool changed = false;
    TextBuffer text;
    std::unique_ptr<AtomicFileWriter> streamed;
    Status streamWrite;
    // The hash of what `streamed` holds, when the request asked for it.
    std::shared_ptr<ContentHasher> streamedHash;
};

} // namespace zuk
