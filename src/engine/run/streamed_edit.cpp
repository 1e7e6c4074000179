// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/streamed_edit.h"

#include "engine/text/line_breaks.h"

#include <algorithm>

namespace zuk {

StreamedEdit::StreamedEdit(FileStream& in, qsizetype longestMatch, TextEncoding encoding,
                           bool encodingSettled)
    : m_in(in), m_longest(longestMatch), m_encoding(encoding), m_encodingSettled(encodingSettled) {}

Result<TextMatch> StreamedEdit::find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) {
    const qint64 body = m_in.bodyStart();
    for (;;) {
        const QByteArrayView window = m_in.window();
        const qint64 start = m_in.windowStart();
        const TextMatch match = matcher.find(Subject::ofBytes(window), qsizetype(from - start), cs);
        // A match is taken once the byte after it is in the window too (a CR may end a CR LF).
        if (match.found() && (m_in.atEnd() || match.position + m_longest + 1 <= window.size()))
            return TextMatch{qsizetype(start + match.position), match.length};
        if (m_in.atEnd())
            return TextMatch{};
        from = match.found() ? start + match.position
                             : std::max(from, start + window.size() - m_longest - 1);
        // The byte before keeps its place: it tells the LF of a CR LF from a line break.
        if (Status read = m_in.advance(std::max(body, from - 1)); !read)
            return read.error();
    }
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
            if (!m_encodingSettled) {
                const Result<FileStream::Survey> survey = m_in.survey();
                if (!survey)
                    return survey.error();
                if (!survey.value().validUtf8)
                    m_encoding = TextEncoding::Windows1252;
                m_encodingSettled = true;
            }
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
