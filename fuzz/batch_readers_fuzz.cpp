// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary batch files through the readers, the split, the file test and the listing.
// Input: one control byte (bit 0: quoted mode; bits 1-2: delimiter length 0-3), the
// delimiter's bytes, then the file's bytes.
#include "batch/batch_entry.h"
#include "batch/batch_file.h"
#include "batch/batch_file_reader.h"
#include "batch/batch_listing.h"
#include "engine/text/text_codec.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace zuk;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// Each call must move on, so a text of n characters gives at most n pieces.
template <typename Read> QList<std::optional<QString>> readAll(const QString& text, Read read) {
    BatchFileReader reader(text);
    QList<std::optional<QString>> pieces;
    while (!reader.atEnd()) {
        require(pieces.size() <= text.size());
        pieces.append(read(reader));
    }
    return pieces;
}

void checkLines(const QString& text) {
    const auto lines = readAll(text, [](BatchFileReader& r) { return r.ReadBatchLine(); });
    QStringList joined;
    for (const auto& line : lines) {
        require(!line->contains(u'\r') && !line->contains(u'\n'));
        joined.append(*line);
    }
    // The lines and their breaks make up the whole text.
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QString rebuilt = joined.join(u'\n');
    if (normalized.endsWith(u'\n'))
        rebuilt += u'\n';
    require(rebuilt == normalized);
}

void checkQuoted(const QString& text, const QString& delimiter) {
    const auto entries = readAll(text, [](BatchFileReader& r) { return r.ReadQuotedEntry(); });
    for (qsizetype i = 0; i < entries.size(); ++i) {
        // Only the last entry can be incomplete.
        require(entries[i].has_value() || i == entries.size() - 1);
        if (!entries[i])
            continue;
        require(!entries[i]->contains(u'"'));
        if (const auto split = SplitEntry(*entries[i], delimiter)) {
            require(!split->search.contains(delimiter) && !split->replace.contains(delimiter));
            require(entries[i]->startsWith(split->search + delimiter + split->replace));
        }
    }
}

void checkFields(const QString& text, const QString& delimiter, bool quoted) {
    const auto fields = readAll(text, [](BatchFileReader& r) { return r.ReadBatchField(); });
    bool passes = false;
    for (const auto& field : fields)
        passes = passes || (!delimiter.isEmpty() && field->contains(delimiter) &&
                            (!quoted || field->contains(u'"')));
    require(CheckBatchFile(text, {delimiter, quoted}) == passes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool quoted = data[0] & 1;
    const size_t delimiterLength = std::min<size_t>((data[0] >> 1) & 3, size - 1);
    const QString delimiter =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(delimiterLength));
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1 + delimiterLength),
                           qsizetype(size - 1 - delimiterLength));
    const Result<DecodedText> decoded = decodeText(bytes);
    const QString text = decoded ? decoded.value().text : QString::fromLatin1(bytes);

    checkLines(text);
    checkQuoted(text, delimiter);
    checkFields(text, delimiter, quoted);
    (void)batchListing(text, {delimiter, quoted});
    return 0;
}
