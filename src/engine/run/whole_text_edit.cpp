// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/whole_text_edit.h"

namespace zuk {

namespace {

qint64 utf8Length(QStringView text) {
    qint64 bytes = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // A surrogate pair takes four bytes, two for each of its halves.
        bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : QChar::isSurrogate(u) ? 2 : 3;
    }
    return bytes;
}

} // namespace

WholeTextEdit::WholeTextEdit(TextBuffer& buffer, const Matcher& matcher, bool fromFile)
    : m_buffer(buffer), m_rewrite(buffer), m_fromFile(fromFile) {
    const Matcher::ByteForm form = matcher.byteForm();
    if (form == Matcher::ByteForm::Never ||
        (form == Matcher::ByteForm::UnlessAsciiFolding && buffer.hasAsciiFoldingCharacters()))
        buffer.useCharacters();
    else if (form == Matcher::ByteForm::Settled)
        buffer.encoding();
    m_subject =
        buffer.holdsBytes()
            ? Subject::ofBytes(buffer.bytes(), buffer.encoding() == TextEncoding::Windows1252
                                                   ? ByteText::OneByte
                                                   : ByteText::Utf8)
            : Subject::ofText(buffer.text());
    matcher.newSubject();
}

Result<TextMatch> WholeTextEdit::find(const Matcher& matcher, qint64 from, Qt::CaseSensitivity cs) {
    return matcher.find(m_subject, qsizetype(from), cs);
}

char16_t WholeTextEdit::unitBefore(qint64 position) const {
    return m_rewrite.unitBefore(qsizetype(position));
}

Status WholeTextEdit::replace(qint64 position, qint64 length, const QString& replacement) {
    if (!m_storable || replacement != *m_storable) {
        if (!m_buffer.canHold(replacement))
            return unstorableReplacementError();
        m_storable = replacement;
    }
    m_rewrite.replace(qsizetype(position), qsizetype(length), replacement);
    return {};
}

std::pair<qint64, qint64> WholeTextEdit::storedSpan(qint64 position, qint64 length) {
    if (!m_fromFile)
        return {position, length};
    const qint64 mark = m_buffer.markLength();
    if (m_buffer.holdsBytes())
        return {mark + position, length};
    switch (m_buffer.encoding()) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return {mark + 2 * position, 2 * length};
    case TextEncoding::Windows1252:
        return {position, length};
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        break;
    }
    // Finds come in order, so the bytes before each are counted on from the last.
    const QStringView text = m_subject.text;
    m_countedBytes += utf8Length(text.sliced(m_countedCharacters, position - m_countedCharacters));
    m_countedCharacters = position;
    return {mark + m_countedBytes, utf8Length(text.sliced(position, length))};
}

} // namespace zuk
