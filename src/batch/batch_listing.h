// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_file.h"
#include "engine/run/prompter.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace zuk {

// The test view's text for a batch file's decoded text: each entry with the delimiter,
// numbered from 1, its search text and its replace text; and a closing line when the last
// quoted entry lacks its closing quote. Plain files are read field by field (so a comma ends
// an entry here, unlike in the batch run), quoted ones entry by entry.
QString batchListing(const QString& text, const BatchFormat& format);
// The same text, handed to `out` piece by piece as it is made: the listing of a big file
// needn't be held whole.
void writeBatchListing(const QString& text, const BatchFormat& format,
                       const std::function<void(QStringView)>& out);

// The Test button's checks: the path, the delimiter and the file, showing the refusal through
// the prompter. The file's text when it passes.
std::optional<QString> checkedBatchText(const QString& path, const BatchFormat& format,
                                        Prompter& prompter);
// The Test button's work: the checks, and the listing when the file passes.
std::optional<QString> testBatchFile(const QString& path, const BatchFormat& format,
                                     Prompter& prompter);

} // namespace zuk
