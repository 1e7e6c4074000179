// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/activity_log.h"
#include "engine/run/prompter.h"

#include <QList>
#include <QStringList>

namespace zuk {

// What one entry of a batch run in one pass says: its messages and its log lines, kept until
// the entries before it have said theirs, so that each comes out as its own run would have
// said it. A live transcript says everything at once. Only what is said is kept (memory
// grows with the log, never with the files).
class EntryTranscript final : public Prompter {
public:
    EntryTranscript(Prompter& prompter, const ActivityLog& log)
        : m_prompter(prompter), m_log(log) {}

    // Kept, or shown when live; a kept message is answered OK (only information is kept).
    MessageResult show(const Message& message) override;
    // One line of the activity log, kept or written.
    Status log(const QString& line);
    Status logLines(const QStringList& lines);
    // Says what was kept, in order, then goes live: the first failure of the log (but one
    // that isn't found, passed over as every run passes it) ends it.
    Status release();
    bool isLive() const { return m_live; }
    // The messages kept so far (for a refusal said again by each entry).
    const QList<Message>& messages() const { return m_messages; }

private:
    Prompter& m_prompter;
    const ActivityLog& m_log;
    bool m_live = false;
    QList<Message> m_messages;
    QStringList m_lines;
};

} // namespace zuk
