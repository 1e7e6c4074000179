// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_text.h"

#include "engine/text/text_codec.h"

#include <algorithm>
#include <cstring>

namespace zuk {

namespace {

// Units between checkpoints: a mapping walks at most about this many.
constexpr qsizetype kCheckpointEvery = 64;

} // namespace

RegexText RegexText::ofUtf8(QByteArrayView bytes) {
    RegexText text;
    text.m_size = bytes.size();
    text.m_isBytes = true;
    text.m_bytes = bytes;
    if (bytes.isEmpty() || !std::memchr(bytes.data(), '\r', size_t(bytes.size()))) {
        text.m_inPlace = true;
        text.m_inPlaceView = std::string_view(bytes.data(), size_t(bytes.size()));
        return text;
    }
    text.build();
    return text;
}

RegexText RegexText::ofOneByte(QByteArrayView bytes) {
    RegexText text;
    // One character per byte, so the positions of the characters are those of the bytes.
    text.m_decoded = decodeBody(bytes, TextEncoding::Windows1252);
    text.m_size = text.m_decoded.size();
    text.build();
    return text;
}

RegexText RegexText::ofText(QStringView subject) {
    RegexText text;
    text.m_text = subject;
    text.m_size = subject.size();
    text.build();
    return text;
}

qsizetype RegexText::unitLength(qsizetype i) const {
    if (m_isBytes)
        return m_bytes[i] == '\n' && i > 0 && m_bytes[i - 1] == '\r' ? 0 : 1;
    const QStringView units = text();
    const char16_t c = units[i].unicode();
    if (c < 0x80)
        return c == u'\n' && i > 0 && units[i - 1] == u'\r' ? 0 : 1;
    if (c < 0x800)
        return 2;
    if (QChar::isHighSurrogate(c) && i + 1 < units.size() && units[i + 1].isLowSurrogate())
        return 4;
    if (QChar::isLowSurrogate(c) && i > 0 && units[i - 1].isHighSurrogate())
        return 0;
    return 3; // a lone half of a pair reads as U+FFFD
}

void RegexText::build() {
    m_copy.reserve(size_t(m_size));
    m_checkpoints.push_back({0, 0});
    qsizetype last = 0;
    const QStringView units = text();
    for (qsizetype i = 0; i < m_size; ++i) {
        const qsizetype length = unitLength(i);
        if (length == 0)
            continue;
        if (i - last >= kCheckpointEvery) {
            m_checkpoints.push_back({i, qsizetype(m_copy.size())});
            last = i;
        }
        const char32_t c = m_isBytes ? char32_t(uchar(m_bytes[i])) : char32_t(units[i].unicode());
        if (c == u'\r')
            m_copy += '\n';
        else if (m_isBytes)
            m_copy += char(c);
        else if (length == 4)
            appendUtf8(m_copy, QChar::surrogateToUcs4(units[i], units[i + 1]));
        else
            appendUtf8(m_copy, QChar::isSurrogate(c) ? char32_t(0xFFFD) : c);
    }
}

qsizetype RegexText::toView(qsizetype position) const {
    if (m_inPlace)
        return position;
    const auto next = std::upper_bound(
        m_checkpoints.begin(), m_checkpoints.end(), position,
        [](qsizetype value, const Checkpoint& point) { return value < point.subject; });
    const Checkpoint& from = *(next - 1);
    qsizetype offset = from.view;
    for (qsizetype i = from.subject; i < position; ++i)
        offset += unitLength(i);
    return offset;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

qsizetype RegexText::toSubject(qsizetype offset) const {
    if (m_inPlace)
        return offset;
    const auto next = std::upper_bound(
        m_checkpoints.begin(), m_checkpoints.end(), offset,
        [](qsizetype value, const Checkpoint& point) { return value < point.view; });
    const Checkpoint& from = *(next - 1);
    qsizetype position = from.subject;
    qsizetype at = from.view;
    while (position < m_size && at < offset)
        at += unitLength(position++);
    // Past the second unit of a CR LF or of a surrogate pair.
    while (position < m_size && unitLength(position) == 0)
        ++position;
    return position;
}

} // namespace zuk
