// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QString>

#include <functional>

namespace zuk {

// How the entries of a batch file are written: the delimiter (the delineation box's text) and
// whether the texts are double-quoted.
struct BatchFormat {
    QString delimiter;
    bool quoted = false;
};

inline const QString kNoBatchFileText =
    QStringLiteral("You must select file with batch item entries");
inline const QString kBatchFailedTestText = QStringLiteral(
    "Batch File Failed Test, Either wrong delineation or quote select wrong, Quiting...");
inline const QString kUnclosedEntryText =
    QStringLiteral("The last entry lacks its closing quote and was left out.");
inline const QString kNoDelimiterText = QStringLiteral(
    "You must enter a delineation between the \"Search For\" and \"Replace With\" items");

// True when `path` names an existing plain file: not empty, not a directory, not hidden, not a
// device, socket or pipe.
bool batchFilePresent(const QString& path);

// The file's text, decoded like any file the user owns (UTF-8 when it is valid UTF-8, with or
// without a mark; one byte per character otherwise).
Result<QString> loadBatchFile(const QString& path);

// The batch file test: passes at the first field (ReadBatchField) that holds the delimiter
// and, in quoted mode, a double quote. An empty delimiter never passes. `afterFailingField`,
// when given, is called after each field that doesn't pass; false ends the test, failed.
bool CheckBatchFile(const QString& text, const BatchFormat& format,
                    const std::function<bool()>& afterFailingField = {});

} // namespace zuk
