// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace zuk {

// Reads a batch entries file's decoded text from the start, the way the old sequential file
// reads did: each call takes the next piece and moves on. A line ends at CR LF, CR or a lone
// LF, so files written on any system read alike.
class BatchFileReader {
public:
    explicit BatchFileReader(QString text) : m_text(std::move(text)) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    // The next comma-separated field. Blanks before it are skipped. A field that begins with a
    // double quote runs to the next double quote (commas and line breaks included); what
    // follows that quote up to the next comma or line break joins it. Any other field runs to
    // the next comma or line break. The comma or line break is consumed.
    QString ReadBatchField();
    // The next line, without its line break.
    QString ReadBatchLine();
    // The next quoted entry: every character but the double quotes, up to the fourth double
    // quote; one line break after it is consumed (otherwise the next two characters are
    // dropped). Empty when the text ends before the fourth quote: an incomplete entry.
    std::optional<QString> ReadQuotedEntry();
    // Whether ReadQuotedEntry met the end of the text inside an entry, after its first quote:
    // the last entry lacks its closing quote and was left out.
    bool lastEntryUnclosed() const { return m_unclosedEntry; }

private:
    // Consumes a line break at the position, if one is there.
    bool skipLineBreak();
    bool atLineBreak() const;

    const QString m_text; // const: read through it, never detached into a copy of its own
    qsizetype m_pos = 0;
    bool m_unclosedEntry = false;
};

} // namespace zuk
