#include "batch/batch_listing.h"

#include "batch/batch_entry.h"
#include "batch/batch_file_reader.h"

namespace zuk {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRule = QString(68, u'_');

} // namespace

QString batchListing(const QString& text, const BatchFormat& format) {
    QString listing;
    BatchFileReader reader(text);
    int n = 0;
    while (!reader.atEnd()) {
        const std::optional<QString> entry =
            format.quoted ? reader.ReadQuotedEntry() : reader.ReadBatchField();
        if (!entry)
            continue;
        const std::optional<BatchEntry> split = SplitEntry(*entry, format.delimiter);
        if (!split)
            continue;
        const QString number = QString::number(++n);
        listing += QStringLiteral("- SEARCH FOR ") + number + QStringLiteral(": -") + kCrLf +
                   split->search + kCrLf + kCrLf + QStringLiteral("- REPLACE WITH ") + number +
                   QStringLiteral(": -") + kCrLf + split->replace + kCrLf + kRule + kCrLf + kCrLf;
    }
    return listing;
}

std::optional<QString> testBatchFile(const QString& path, const BatchFormat& format,
                                     Prompter& prompter) {
    if (!batchFilePresent(path)) {
        prompter.inform(kNoBatchFileText);
        return std::nullopt;
    }
    if (format.delimiter.isEmpty()) {
        prompter.inform(kNoDelimiterText);
        return std::nullopt;
    }
    const Result<QString> text = loadBatchFile(path);
    if (!text) {
        prompter.inform(text.error().message(), path);
        return std::nullopt;
    }
    if (!CheckBatchFile(text.value(), format)) {
        prompter.inform(kBatchFailedTestText);
        return std::nullopt;
    }
    return batchListing(text.value(), format);
}

} // namespace zuk
