// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/run/preview_results.h"
#include "engine/run/run_options.h"

#include <QList>
#include <QString>

#include <optional>

namespace zuk {

// A find in a decoded text, in characters; no replacement: the text there stays.
struct TextFind {
    qsizetype start = 0;
    qsizetype length = 0;
    std::optional<QString> replacement;
};

struct ChangeSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const ChangeSpan&) const = default;
};

// One line as the change view shows it: its number (from 1), its text without the break, and
// the spans that change.
struct ChangeLine {
    qint64 number = 0;
    QString text;
    QList<ChangeSpan> marks;
    bool operator==(const ChangeLine&) const = default;
};

// Lines that change, the lines they become, and a few unchanged lines around them.
struct ChangeHunk {
    bool follows = false; // it goes on from the hunk before, without lines left out between
    QList<ChangeLine> before;
    QList<ChangeLine> removed;
    QList<ChangeLine> added;
    QList<ChangeLine> after;
};

// The hunks of a text's change: one for each run of lines the replaced finds touch, with up
// to `context` lines before and after (never a line shown twice).
QList<ChangeHunk> changeHunks(QStringView text, const QList<TextFind>& finds, int context);

// A previewed subject as the change view reads it when shown: its text decoded, and its
// ticked finds in characters.
struct DecodedChange {
    QString text;
    QList<TextFind> finds;
};
Result<DecodedChange> decodeChange(const PreviewFile& file);
// The same for a file's bytes already read.
DecodedChange decodeChange(const QByteArray& bytes, const PreviewFile& file);
// A subject whose finds came from several passes, made again with the preview's settings: its
// text, and what changes in it as one stretch from the first changed character to the last.
Result<DecodedChange> remadeChange(const PreviewFile& file, const RunOptionValues& values);

} // namespace zuk
