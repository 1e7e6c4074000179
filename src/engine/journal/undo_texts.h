// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/journal/journal_history.h"
#include "engine/journal/journal_undo.h"

#include <QString>

namespace zuk {

// The question before an undo, with what an inspection found.
QString undoConfirmationText(const RunSummary& run, const UndoReport& inspected);
// The numbers of an undo done: files put back and files left.
QString undoCountsText(const UndoReport& report);
// A file left by an undo, with why.
QString undoLeftText(const UndoFile& file);
// Why a file a run wrote can't be taken back by an undo: its old bytes were not kept.
QString notKeptReason();
// One run of the history on one line: ID, date and time, files changed, path, search text,
// and whether it was undone.
QString historyLine(const RunSummary& run);

} // namespace zuk
