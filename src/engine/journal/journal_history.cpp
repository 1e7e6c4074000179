// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_history.h"

#include "engine/files/path_bytes.h"

#include <QSet>

namespace zuk {

namespace {

qint64 filesChanged(const RunRecord& record) {
    if (record.end)
        return record.end->files;
    QSet<QByteArray> names;
    for (const FileEntry& entry : record.entries) {
        if (!entry.abandoned)
            names.insert(entry.name);
    }
    return names.size();
}

} // namespace

Result<QList<RunSummary>> journalHistory(JournalFolder& folder) {
    if (Status opened = folder.open(false); !opened)
        return opened.error();
    const QList<qint64> ids = folder.runIds();
    QList<RunSummary> history;
    for (auto id = ids.crbegin(); id != ids.crend(); ++id) {
        const Result<RunRecord> record = folder.readSummary(*id);
        if (!record)
            continue;
        const RunHeader& header = record.value().header;
        RunSummary run;
        run.id = *id;
        run.kind = header.kind;
        run.undoes = header.undoes;
        run.started = QDateTime::fromMSecsSinceEpoch(header.startMs);
        run.files = filesChanged(record.value());
        run.path = header.path;
        run.searchText = header.searchText;
        run.state = record.value().end     ? RunSummary::State::Ended
                    : folder.isActive(*id) ? RunSummary::State::Running
                                           : RunSummary::State::CutShort;
        history.append(run);
    }
    // Newest first, so an undo's own state is settled before the run it takes back is reached:
    // an undo taken back in turn leaves its run as the undo found it.
    QSet<qint64> undone;
    for (RunSummary& run : history) {
        run.undone = undone.contains(run.id);
        if (run.kind == RunKind::Undo && run.state == RunSummary::State::Ended && !run.undone)
            undone.insert(run.undoes);
    }
    return history;
}

std::optional<qint64> newestNotUndone(const QList<RunSummary>& history) {
    for (const RunSummary& run : history) {
        if (run.kind == RunKind::Run && !run.undone && run.state != RunSummary::State::Running)
            return run.id;
    }
    return std::nullopt;
}

QString safeShortText(const QString& text, qsizetype maxCharacters) {
    if (text.size() <= maxCharacters)
        return displayPath(text);
    qsizetype cut = maxCharacters;
    if (cut > 0 && text[cut - 1].isHighSurrogate())
        --cut; // keep a pair whole
    return displayPath(text.left(cut)) + QStringLiteral("...");
}

} // namespace zuk
