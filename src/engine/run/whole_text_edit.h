// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit_buffer.h"
#include "engine/text/text_buffer.h"

namespace zuk {

// The buffer strategy for a whole text in memory: a file loaded, or the right-hand text. The
// pass builds the new text beside the old one and puts it in place at finish().
class WholeTextEdit final : public EditBuffer {
public:
    // Searches `buffer`'s bytes where `matcher` finds there what it finds in the characters,
    // else its characters. `fromFile`: stored spans count the file's bytes, else characters.
    WholeTextEdit(TextBuffer& buffer, const Matcher& matcher, bool fromFile);

    qint64 start() const override { return 0; }
    Result<TextMatch> find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) override;
    Subject window() const override { return m_subject; }
    qint64 windowStart() const override { return 0; }
    Result<QString> firstLineBreak() override { return m_buffer.lineBreak(); }
    char16_t unitBefore(qint64 position) const override;
    Status replace(qint64 position, qint64 length, const QString& replacement) override;
    std::pair<qint64, qint64> storedSpan(qint64 position, qint64 length) override;

    // Puts the replaced text into the buffer.
    void finish() { m_rewrite.finish(); }

private:
    TextBuffer& m_buffer;
    TextBuffer::Rewrite m_rewrite;
    Subject m_subject;
    bool m_fromFile;
    std::optional<QString> m_storable; // the last replacement the encoding was found to hold
    // Characters counted up to here take this many bytes in the file (UTF-8 in characters).
    qint64 m_countedCharacters = 0;
    qint64 m_countedBytes = 0;
};

} // namespace zuk
