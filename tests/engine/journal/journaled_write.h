// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/journal/run_journal.h"

#include <QByteArray>
#include <QString>

namespace zuk::test {

// Writes `bytes` over the file at `path` as a run's commit does: through the atomic writer,
// the new bytes hashed as they are written, the journal told right before the rename.
// `renames` false: the journal is told, then the writer is dropped before its rename, as a
// kill at that moment would leave things.
Status journaledWrite(RunJournal& journal, const QString& path, const QByteArray& bytes,
                      bool renames = true);

} // namespace zuk::test
