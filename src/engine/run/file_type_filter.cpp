// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/file_type_filter.h"

#include "engine/text/text_codec.h"

namespace zuk {

namespace {

// Blanks only: a tab around the extension is part of it.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

bool FileTypeFilter::takesFile(const QString&, const QString& fileName) const {
    const RunOptions& o = m_options;
    // The name is compared in lower case. An ASCII name, the usual one, needs no lower-case
    // copy to be compared with the lower-case extensions of the table.
    const bool ascii = isAsciiText(fileName);
    const QString low = ascii ? QString() : fileName.toLower();
    const bool allTypes = o.allTypes() == Checked;
    const FileTypeValues chosen = o.fileTypes();
    for (std::size_t i = 0; i < kFileTypes.size(); ++i) {
        const QLatin1StringView extension(kFileTypes[i].extension);
        if ((ascii ? fileName.endsWith(extension, Qt::CaseInsensitive) : low.endsWith(extension)) &&
            (allTypes || chosen[i] == Checked))
            return true;
    }
    return o.customType() == Checked &&
           (ascii ? fileName.toLower() : low).endsWith(trimBlanks(o.customExtension()));
}

} // namespace zuk
