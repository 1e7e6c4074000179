// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_stream.h"
#include "engine/run/edit_buffer.h"

#include <optional>

namespace zuk {

// The buffer strategy for a file streamed through a window of its bytes: a match is searched
// in the window, which moves on through the file, and the new text goes straight into the
// file that is written in its place. For a matcher whose longest match is bounded and that
// searches the byte form.
class StreamedEdit final : public EditBuffer {
public:
    // `encodingSettled`: whether a file without a mark is known to be UTF-8 or one byte per
    // character; when not, the first replacement outside ASCII settles it by reading the file.
    StreamedEdit(FileStream& in, qsizetype longestMatch, TextEncoding encoding,
                 bool encodingSettled);

    qint64 start() const override { return m_in.bodyStart(); }
    Result<TextMatch> find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) override;
    Subject window() const override { return Subject::ofBytes(m_in.window()); }
    qint64 windowStart() const override { return m_in.windowStart(); }
    Result<QString> firstLineBreak() override;
    char16_t unitBefore(qint64 position) const override { return m_in.unitBefore(position); }
    Status replace(qint64 position, qint64 length, const QString& replacement) override;
    std::pair<qint64, qint64> storedSpan(qint64 position, qint64 length) override {
        return {position, length};
    }

    TextEncoding encoding() const { return m_encoding; }
    bool encodingSettled() const { return m_encodingSettled; }

private:
    FileStream& m_in;
    qsizetype m_longest;
    TextEncoding m_encoding;
    bool m_encodingSettled;
    std::optional<QString> m_replacement; // the last replacement, and its bytes
    QByteArray m_replacementBytes;
};

} // namespace zuk
