// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/journal/journal_folder.h"
#include "engine/journal/journal_history.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zuk {

// What an undo does with one file of the run it takes back.
enum class UndoVerdict {
    PutBack,     // it held exactly what the run wrote: its old bytes are back
    AlreadyBack, // it holds its old bytes already (or the run's rename never happened)
    EditedSince, // it holds other bytes than the run wrote
    Removed,     // nothing is under its name
    Replaced,    // its name leads to something that is no regular file
    NotKept,     // the run kept no old bytes for it
    KeptChanged, // the kept old bytes are no longer those the run replaced
    Failed,      // putting it back failed: `error` says why, the file is as it was
};

struct UndoFile {
    QString path;
    UndoVerdict verdict = UndoVerdict::PutBack;
    Error error;

    bool isLeft() const {
        return verdict != UndoVerdict::PutBack && verdict != UndoVerdict::AlreadyBack;
    }
    // Why a file was left, to show after its name.
    QString reason() const;
};

struct UndoReport {
    qint64 runId = 0;  // the run taken back
    qint64 undoId = 0; // the undo's own run in the journal (0 for an inspection)
    QList<UndoFile> files;
    // Files put back whose bytes before the undo its journal couldn't keep (over its limit).
    QStringList notKept;
    // A failure that ended the undo before every file was seen (a full disk, an I/O error).
    std::optional<Error> endedBy;

    qint64 count(UndoVerdict verdict) const;
    qint64 left() const;
};

// Takes one run back: a file is put back only while it holds exactly the bytes the run wrote,
// through the writer every run uses (atomic, no moment without the file, permissions and
// owner kept, nothing written without permission); every other file is left and named. The
// undo is journaled like a run, so it can be taken back in turn, and an undo that a kill cut
// short is finished by the next undo of the same run.
class JournalUndo {
public:
    explicit JournalUndo(JournalFolder& folder) : m_folder(folder) {}

    // What an undo of run `runId` would do, writing nothing (for a confirmation's counts).
    Result<UndoReport> inspect(qint64 runId) const;
    // Takes run `runId` back. Refused (75) while the run is being recorded; 53 for no such run.
    Result<UndoReport> undo(qint64 runId);

private:
    Result<UndoReport> walk(qint64 runId, bool write) const;

    JournalFolder& m_folder;
};

// An undo about to be asked for: the run it takes back and what it would do.
struct UndoPlan {
    RunSummary run;
    UndoReport inspected;
};
// The plan of an undo of run `runId` (none: the newest run not yet undone); nothing when there
// is no such run to undo.
Result<std::optional<UndoPlan>> planUndo(JournalFolder& folder, std::optional<qint64> runId);

} // namespace zuk
