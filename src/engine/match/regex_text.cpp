// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_text.h"

#include "engine/text/text_codec.h"

#include <algorithm>
#include <cstring>

namespace zuk {

namespace {

// Units between checkpoints: the walk from one to a position behind the last mapped.
constexpr qsizetype kCheckpointEvery = 4096;

// Writes the UTF-8 form of `c` at `out`; returns where it ends.
char* putUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

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
    text.buildFromBytes();
    return text;
}

RegexText RegexText::ofOneByte(QByteArrayView bytes) {
    RegexText text;
    // One character per byte, so the positions of the characters are those of the bytes.
    text.m_decoded = decodeBody(bytes, TextEncoding::Windows1252);
    text.m_size = text.m_decoded.size();
    text.buildFromText();
    return text;
}

RegexText RegexText::ofText(QStringView subject) {
    RegexText text;
    text.m_text = subject;
    text.m_size = subject.size();
    text.buildFromText();
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

void RegexText::buildFromBytes() {
    const char* bytes = m_bytes.data();
    m_copy.reserve(size_t(m_size));
    qsizetype removed = 0; // the LFs of CR LF pairs so far
    qsizetype next = 0;    // the next checkpoint
    for (qsizetype i = 0; i < m_size;) {
        const void* cr = std::memchr(bytes + i, '\r', size_t(m_size - i));
        const qsizetype end = cr ? static_cast<const char*>(cr) - bytes : m_size;
        for (; next < end; next += kCheckpointEvery)
            m_checkpoints.push_back({next, next - removed});
        m_copy.append(bytes + i, size_t(end - i));
        if (end == m_size)
            break;
        if (next == end) {
            m_checkpoints.push_back({next, next - removed});
            next += kCheckpointEvery;
        }
        m_copy += '\n';
        i = end + 1;
        if (i < m_size && bytes[i] == '\n') {
            ++removed;
            ++i;
            next = std::max(next, i);
        }
    }
}

void RegexText::buildFromText() {
    const QStringView units = text();
    m_copy.reserve(size_t(m_size));
    for (qsizetype i = 0; i < m_size;) {
        m_checkpoints.push_back({i, qsizetype(m_copy.size())});
        // Room for the longest form of a block of units, written through a pointer.
        const qsizetype end = std::min(m_size, i + kCheckpointEvery);
        const size_t start = m_copy.size();
        m_copy.resize(start + size_t(3 * (end - i) + 1));
        char* out = m_copy.data() + start;
        for (; i < end; ++i) {
            const char16_t c = units[i].unicode();
            if (c < 0x80) {
                if (c == u'\r')
                    *out++ = '\n';
                else if (c != u'\n' || i == 0 || units[i - 1] != u'\r')
                    *out++ = char(c);
            } else if (QChar::isHighSurrogate(c) && i + 1 < m_size &&
                       units[i + 1].isLowSurrogate()) {
                out = putUtf8(out, QChar::surrogateToUcs4(c, units[i + 1].unicode()));
                // Its low half goes with it, into the next block if need be.
                ++i;
                if (i == end && end < m_size) {
                    ++i;
                    break;
                }
            } else {
                out = putUtf8(out, QChar::isSurrogate(c) ? char32_t(0xFFFD) : char32_t(c));
            }
        }
        m_copy.resize(size_t(out - m_copy.data()));
    }
}

RegexText::Checkpoint RegexText::startFor(qsizetype target, qsizetype Checkpoint::*key) const {
    if (m_cursor.*key <= target && target - m_cursor.*key < kCheckpointEvery)
        return m_cursor;
    const auto next = std::upper_bound(
        m_checkpoints.begin(), m_checkpoints.end(), target,
        [key](qsizetype value, const Checkpoint& point) { return value < point.*key; });
    const Checkpoint& checkpoint = *(next - 1);
    return m_cursor.*key <= target && m_cursor.*key > checkpoint.*key ? m_cursor : checkpoint;
}

qsizetype RegexText::toView(qsizetype position) const {
    if (m_inPlace)
        return position;
    Checkpoint at = startFor(position, &Checkpoint::subject);
    for (; at.subject < position; ++at.subject)
        at.view += unitLength(at.subject);
    m_cursor = at;
    return at.view;
}

qsizetype RegexText::toSubject(qsizetype offset) const {
    if (m_inPlace)
        return offset;
    Checkpoint at = startFor(offset, &Checkpoint::view);
    while (at.subject < m_size && at.view < offset)
        at.view += unitLength(at.subject++);
    // Past the second unit of a CR LF or of a surrogate pair.
    while (at.subject < m_size && unitLength(at.subject) == 0)
        ++at.subject;
    m_cursor = at;
    return at.subject;
}

void appendUtf8(std::string& out, char32_t c) {
    char bytes[4];
    out.append(bytes, size_t(putUtf8(bytes, c) - bytes));
}

} // namespace zuk
