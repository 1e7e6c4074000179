// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/text/working_text.h"

namespace zuk {

WorkingText::WorkingText(QString text) : m_text(std::move(text)) {}

WorkingText::WorkingText(QByteArray bytes, TextEncoding encoding, bool encodingSettled)
    : m_bytes(std::move(bytes)), m_encoding(encoding), m_encodingSettled(encodingSettled),
      m_decoded(false) {}

WorkingText WorkingText::beginning(QByteArray bytes, TextEncoding encoding, bool encodingSettled) {
    // Cut at a whole character, so that a beginning of UTF-8 still reads as UTF-8.
    if (encoding != TextEncoding::Windows1252) {
        qsizetype end = bytes.size();
        for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const uchar b = uchar(bytes.at(bytes.size() - back));
            if ((b & 0xC0) == 0x80)
                continue;
            const qsizetype need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (need > back)
                end -= back;
            break;
        }
        if (end < bytes.size())
            bytes.truncate(end);
    }
    return WorkingText(std::move(bytes), encoding, encodingSettled);
}

const QString& WorkingText::text() const {
    if (!m_decoded) {
        const TextEncoding encoding =
            m_encodingSettled || isValidUtf8(m_bytes) ? m_encoding : TextEncoding::Windows1252;
        m_text = decodeBody(m_bytes, encoding);
        m_decoded = true;
    }
    return m_text;
}

} // namespace zuk
