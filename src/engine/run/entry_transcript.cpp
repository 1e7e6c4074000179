// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/entry_transcript.h"

namespace zuk {

namespace {

// A log that is not found is passed over, as every run's own step passes file-not-found.
Status logged(const Status& status) {
    return !status && status.error().number == ErrorNumber::FileNotFound ? Status() : status;
}

} // namespace

MessageResult EntryTranscript::show(const Message& message) {
    if (m_live)
        return m_prompter.show(message);
    m_messages.append(message);
    return MessageResult::Ok;
}

Status EntryTranscript::log(const QString& line) {
    if (m_live)
        return m_log.LogIt(line);
    m_lines.append(line);
    return {};
}

Status EntryTranscript::logLines(const QStringList& lines) {
    for (const QString& line : lines) {
        if (const Status written = log(line); !logged(written))
            return written;
    }
    return {};
}

Status EntryTranscript::release() {
    m_live = true;
    for (const Message& message : std::exchange(m_messages, {}))
        m_prompter.show(message);
    const QStringList lines = std::exchange(m_lines, {});
    for (const QString& line : lines) {
        if (const Status written = logged(m_log.LogIt(line)); !written)
            return written;
    }
    return {};
}

} // namespace zuk
