// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/match/matcher.h"

#include <QString>

namespace zuk {

// A replacement that the subject's encoding can't hold fails that subject.
inline Error unstorableReplacementError() {
    return Error{ErrorNumber::InvalidArgument,
                 QStringLiteral("The replacement text holds characters that this file's encoding "
                                "cannot store")};
}

// Where the replace loop finds and replaces: the buffer strategy of one pass. A whole text in
// memory is one kind, a file streamed through a window of its bytes another. Positions count
// units of the subject (bytes in the byte form, else characters) from its start.
class EditBuffer {
public:
    virtual ~EditBuffer() = default;

    // Where the first search starts (after a mark that is searched as bytes).
    virtual qint64 start() const = 0;
    // The next match at or after `from`, reading on where the buffer streams; a match only
    // once the unit after it is read too (a CR may end a CR LF). Fails when reading does.
    virtual Result<TextMatch> find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) = 0;
    // The part of the subject that holds the last match found, and where it starts.
    virtual Subject window() const = 0;
    virtual qint64 windowStart() const = 0;
    // The form of the subject's first line break, or the platform's own when it has none.
    virtual Result<QString> firstLineBreak() = 0;
    // The unit the new text holds just before a replacement at `position`; 0 at its start.
    virtual char16_t unitBefore(qint64 position) const = 0;
    // Replaces [position, position + length); calls come in order. Fails when the subject's
    // encoding can't hold the replacement.
    virtual Status replace(qint64 position, qint64 length, const QString& replacement) = 0;
    // Where [position, position + length) lies in the subject as stored: bytes of its file,
    // mark included (characters for a text without a file).
    virtual std::pair<qint64, qint64> storedSpan(qint64 position, qint64 length) = 0;
};

} // namespace zuk
