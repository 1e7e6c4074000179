// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/streamed_edit.h"

#include "engine/text/line_breaks.h"

#include <algorithm>

namespace zuk {

namespace {

// The last line break of `bytes` whose end is known (a CR at the very end may be followed by an
// LF): where it starts and where the line after it does.
std::pair<qsizetype, qsizetype> lastLineBreak(QByteArrayView bytes) {
    for (qsizetype k = bytes.size() - 2; k >= 0; --k) {
        if (bytes[k] == '\n')
            return {k > 0 && bytes[k - 1] == '\r' ? k - 1 : k, k + 1};
        if (bytes[k] == '\r')
            return {k, bytes[k + 1] == '\n' ? k + 2 : k + 1};
    }
    return {-1, -1};
}

QString sizeText(qsizetype bytes) {
    constexpr qsizetype kGiB = qsizetype(1) << 30;
    return bytes % kGiB == 0 ? QStringLiteral("%1 GiB").arg(bytes / kGiB)
                             : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

StreamedEdit::StreamedEdit(FileStream& in, std::optional<qsizetype> longestMatch,
                           TextEncoding encoding, bool encodingSettled, qsizetype longestLine)
    : m_in(in), m_longest(longestMatch), m_longestLine(longestLine), m_encoding(encoding),
      m_encodingSettled(encodingSettled) {}

Result<TextMatch> StreamedEdit::find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) {
    // A search that depends on the encoding, under this case rule, settles it first.
    if (!m_encodingSettled && matcher.byteForm() == Matcher::ByteForm::Settled &&
        !matcher.findsAsciiOnly(cs)) {
        if (Status settled = settleEncoding(); !settled)
            return settled.error();
    }
    if (!m_longest)
        return findInLines(matcher, from, cs);
    const qint64 body = m_in.bodyStart();
    const qsizetype longest = *m_longest;
    for (;;) {
        const QByteArrayView window = m_in.window();
        const qint64 start = m_in.windowStart();
        const TextMatch match = matcher.find(subject(), qsizetype(from - start), cs);
        // A match is taken once the byte after it is in the window too (a CR may end a CR LF).
        if (match.found() && (m_in.atEnd() || match.position + longest + 1 <= window.size()))
            return TextMatch{qsizetype(start + match.position), match.length};
        if (m_in.atEnd())
            return TextMatch{};
        from = match.found() ? start + match.position
                             : std::max(from, start + window.size() - longest - 1);
        // The character before keeps its place: it tells the LF of a CR LF from a line break,
        // and a whole word from the end of a longer one.
        if (Status read = m_in.advance(std::max(body, from - 4)); !read)
            return read.error();
        matcher.newSubject();
    }
}

Result<TextMatch> StreamedEdit::findInLines(const Matcher& matcher, qint64 from,
                                            Qt::CaseSensitivity cs) {
    for (;;) {
        const QByteArrayView window = m_in.window();
        const qint64 start = m_in.windowStart();
        // The mark is no part of the first line.
        m_skipped = qsizetype(std::clamp<qint64>(m_in.bodyStart() - start, 0, window.size()));
        if (!m_lines) {
            const auto [end, next] =
                m_in.atEnd() ? std::pair(window.size(), window.size()) : lastLineBreak(window);
            m_lines = LineCut{end, next};
        }
        if (m_lines->end >= m_skipped) {
            const qint64 subjectStart = start + m_skipped;
            const qsizetype length = m_lines->end - m_skipped;
            if (from <= subjectStart + length) {
                const TextMatch match =
                    matcher.find(subject(length), qsizetype(from - subjectStart), cs);
                if (match.found())
                    return TextMatch{qsizetype(subjectStart + match.position), match.length};
            }
            if (m_in.atEnd())
                return TextMatch{};
            from = std::max(from, start + m_lines->next);
            if (Status read = m_in.advance(start + m_lines->next); !read)
                return read.error();
        } else if (m_in.capacity() >= m_longestLine) {
            return Error{ErrorNumber::InvalidArgument,
                         QStringLiteral("This file holds a line longer than %1, the most a "
                                        "regular expression searches at once")
                             .arg(sizeText(m_longestLine))};
        } else if (Status read = m_in.grow(); !read) {
            return read.error();
        }
        m_lines.reset();
        matcher.newSubject();
    }
}

Status StreamedEdit::settleEncoding() {
    if (m_encodingSettled)
        return {};
    const Result<FileStream::Survey> survey = m_in.survey(false);
    if (!survey)
        return survey.error();
    if (!survey.value().validUtf8)
        m_encoding = TextEncoding::Windows1252;
    m_encodingSettled = true;
    return {};
}

Result<QString> StreamedEdit::firstLineBreak() {
    const Result<QByteArray> form = m_in.firstLineBreak();
    if (!form)
        return form.error();
    return form.value().isEmpty() ? platformLineBreak() : QString::fromLatin1(form.value());
}

Status StreamedEdit::replace(qint64 position, qint64 length, const QString& replacement) {
    if (!m_replacement || replacement != *m_replacement) {
        if (isAsciiText(replacement)) {
            // ASCII is the same in every encoding the byte form holds.
            m_replacementBytes = replacement.toLatin1();
        } else {
            if (Status settled = settleEncoding(); !settled)
                return settled;
            if (!canEncode(replacement, m_encoding))
                return unstorableReplacementError();
            m_replacementBytes = encodeText(replacement, m_encoding);
        }
        m_replacement = replacement;
    }
    m_in.replace(position, length, m_replacementBytes);
    return {};
}

} // namespace zuk
