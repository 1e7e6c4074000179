#include "batch/batch_file.h"

#include "batch/batch_file_reader.h"
#include "engine/atomic_file.h"
#include "engine/text_codec.h"

#include <QFileInfo>

namespace zuk {

bool batchFilePresent(const QString& path) {
    if (path.isEmpty())
        return false;
    // isFile is false for directories and for anything that isn't a regular file.
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
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
