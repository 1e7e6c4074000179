// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_file.h"

#include "batch/batch_file_reader.h"
#include "engine/files/atomic_file.h"
#include "engine/text/text_codec.h"

#include "engine/files/path_text.h"

#include <sys/stat.h>

namespace zuk {

bool batchFilePresent(const QString& path) {
    if (path.isEmpty())
        return false;
    // A regular file (links followed) whose name doesn't start with "." (hidden).
    const Result<FileIdentity> identity = identifyFile(path);
    const std::optional<qsizetype> separator = lastSeparator(path);
    const qsizetype nameStart = separator ? *separator + 1 : 0;
    return identity && S_ISREG(identity.value().mode) && nameStart < path.size() &&
           path[nameStart] != u'.';
}

Result<QString> loadBatchFile(const QString& path) {
    Result<LoadedBytes> loaded = readWholeFile(path);
    if (!loaded)
        return loaded.error();
    Result<DecodedText> decoded = decodeText(loaded.value().bytes);
    if (!decoded)
        return decoded.error();
    return std::move(decoded.value().text);
}

bool CheckBatchFile(const QString& text, const BatchFormat& format,
                    const std::function<bool()>& afterFailingField) {
    if (format.delimiter.isEmpty())
        return false;
    BatchFileReader reader(text);
    while (!reader.atEnd()) {
        const QString field = reader.ReadBatchField();
        if (field.contains(format.delimiter) && (!format.quoted || field.contains(u'"')))
            return true;
        if (afterFailingField && !afterFailingField())
            return false;
    }
    return false;
}

} // namespace zuk
