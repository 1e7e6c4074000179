#pragma once

#include "batch/batch_file.h"
#include "engine/prompter.h"

#include <QString>

#include <optional>

namespace zuk {

// The test view's text for a batch file's decoded text: each entry with the delimiter,
// numbered from 1, its search text and its replace text. Plain files are read field by field
// (so a comma ends an entry here, unlike in the batch run), quoted ones entry by entry.
QString batchListing(const QString& text, const BatchFormat& format);

// The Test button's work: checks the path, the delimiter and the file, showing the refusal
// through the prompter, and gives the listing when the file passes.
std::optional<QString> testBatchFile(const QString& path, const BatchFormat& format,
                                     Prompter& prompter);

} // namespace zuk
