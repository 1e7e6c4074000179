// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/journal/journal_folder.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace zuk {

// One run of the journal as a history lists it.
struct RunSummary {
    enum class State { Ended, Running, CutShort };

    qint64 id = 0;
    RunKind kind = RunKind::Run;
    qint64 undoes = 0;
    QDateTime started;
    qint64 files = 0; // files changed
    QString path;
    QString searchText;
    State state = State::Ended;
    bool undone = false; // an undo that ended (and was not itself taken back) took it back
};

// The journal's runs, newest first. A run whose record can't be read is left out.
Result<QList<RunSummary>> journalHistory(JournalFolder& folder);

// The run "Undo Last Run" takes back: the newest run (not an undo) that is not undone and not
// going on. An undo is taken back by its id.
std::optional<qint64> newestNotUndone(const QList<RunSummary>& history);

// A text made safe to show on one line of a terminal or a list (control characters and bytes
// that are not UTF-8 escaped), cut to about `maxCharacters` with "..." when longer.
QString safeShortText(const QString& text, qsizetype maxCharacters = 40);

} // namespace zuk
