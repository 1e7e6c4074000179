// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_listing.h"

#include "batch/batch_entry.h"
#include "batch/batch_file_reader.h"

namespace zuk {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRule = QString(68, u'_');

} // namespace

void writeBatchListing(const QString& text, const BatchFormat& format,
                       const std::function<void(QStringView)>& out) {
    BatchFileReader reader(text);
    int n = 0;
    while (!reader.atEnd()) {
        const std::optional<QString> entry =
            format.quoted ? reader.ReadQuotedEntry() : reader.ReadBatchField();
        if (!entry)
            continue;
        // Seen in the entry itself: an entry of any size is copied once, when it is read.
        const std::optional<BatchEntryView> split = splitEntryInPlace(*entry, format.delimiter);
        if (!split)
            continue;
        const QString number = QString::number(++n);
        for (QStringView piece :
             {QStringView(u"- SEARCH FOR "), QStringView(number), QStringView(u": -"),
              QStringView(kCrLf), split->search, QStringView(kCrLf), QStringView(kCrLf),
              QStringView(u"- REPLACE WITH "), QStringView(number), QStringView(u": -"),
              QStringView(kCrLf), split->replace, QStringView(kCrLf), QStringView(kRule),
              QStringView(kCrLf), QStringView(kCrLf)})
            out(piece);
    }
    if (reader.lastEntryUnclosed()) {
        out(kUnclosedEntryText);
        out(kCrLf);
    }
}

QString batchListing(const QString& text, const BatchFormat& format) {
    QString listing;
    writeBatchListing(text, format, [&listing](QStringView piece) { listing.append(piece); });
    return listing;
}

std::optional<QString> checkedBatchText(const QString& path, const BatchFormat& format,
                                        Prompter& prompter) {
    if (!batchFilePresent(path)) {
        prompter.inform(kNoBatchFileText);
        return std::nullopt;
    }
    if (format.delimiter.isEmpty()) {
        prompter.inform(kNoDelimiterText);
        return std::nullopt;
    }
    Result<QString> text = loadBatchFile(path);
    if (!text) {
        prompter.inform(text.error().message(), path);
        return std::nullopt;
    }
    if (!CheckBatchFile(text.value(), format)) {
        prompter.inform(kBatchFailedTestText);
        return std::nullopt;
    }
    return std::move(text.value());
}

std::optional<QString> testBatchFile(const QString& path, const BatchFormat& format,
                                     Prompter& prompter) {
    const std::optional<QString> text = checkedBatchText(path, format, prompter);
    if (!text)
        return std::nullopt;
    return batchListing(*text, format);
}

} // namespace zuk
