// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_stream.h"
#include "engine/run/edit_buffer.h"

#include <optional>

namespace zuk {

// The buffer strategy for a file streamed through a window of its bytes: a match is searched
// in the window, which moves on through the file, and the new text goes straight into the
// file that is written in its place. For a matcher that searches the byte form and whose
// longest match is bounded, or that matches within lines: then the window is searched up to
// its last whole line and moves on to the next line's start (growing while it holds no whole
// line, up to kLongestLine).
class StreamedEdit final : public EditBuffer {
public:
    static constexpr qsizetype kLongestLine = qsizetype(1) << 30;

    // `longestMatch`: nothing for a matcher searched line by line, in a window of at most
    // `longestLine` bytes. `encodingSettled`: whether a file without a mark is known to be UTF-8
    // or one byte per character; when not, the first replacement outside ASCII, or the first
    // find whose matches depend on it, settles it by reading the file.
    StreamedEdit(FileStream& in, std::optional<qsizetype> longestMatch, TextEncoding encoding,
                 bool encodingSettled, qsizetype longestLine = kLongestLine);

    qint64 start() const override { return m_in.bodyStart(); }
    Result<TextMatch> find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) override;
    Subject window() const override { return subject(); }
    qint64 windowStart() const override { return m_in.windowStart() + m_skipped; }
    Result<QString> firstLineBreak() override;
    char16_t unitBefore(qint64 position) const override { return m_in.unitBefore(position); }
    Status replace(qint64 position, qint64 length, const QString& replacement) override;
    std::pair<qint64, qint64> storedSpan(qint64 position, qint64 length) override {
        return {position, length};
    }

    TextEncoding encoding() const { return m_encoding; }
    bool encodingSettled() const { return m_encodingSettled; }

private:
    // The window from windowStart(), or its first `length` bytes.
    Subject subject(qsizetype length = -1) const {
        QByteArrayView bytes = m_in.window().sliced(m_skipped);
        if (length >= 0)
            bytes.truncate(length);
        return Subject::ofBytes(bytes, m_encoding == TextEncoding::Windows1252 ? ByteText::OneByte
                                                                               : ByteText::Utf8);
    }
    Result<TextMatch> findInLines(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs);
    // Whether a file without a mark is UTF-8, read from the file.
    Status settleEncoding();

    // Where the last whole line of the window ends (its line break starts) and where the next
    // line starts; -1: the window holds no whole line.
    struct LineCut {
        qsizetype end = -1;
        qsizetype next = -1;
    };

    FileStream& m_in;
    std::optional<qsizetype> m_longest;
    std::optional<LineCut> m_lines; // of the window as it is
    qsizetype m_longestLine;
    // Bytes of the window before the subject searched line by line: the mark.
    qsizetype m_skipped = 0;
    TextEncoding m_encoding;
    bool m_encodingSettled;
    std::optional<QString> m_replacement; // the last replacement, and its bytes
    QByteArray m_replacementBytes;
};

} // namespace zuk
