// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/path_bytes.h"

#include "engine/text/text_codec.h"

namespace zuk {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + byte, for the bytes 0x80 to 0xFF

bool isEscapedByte(char16_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

bool isContinuation(uchar b) {
    return (b & 0xC0) == 0x80;
}

// The length of the strictly valid UTF-8 sequence at p (no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0.
int validSequenceLength(const uchar* p, qsizetype left) {
    const uchar b = p[0];
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] > 0x9F))
            return 0;
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

void appendUtf8(QByteArray& out, char32_t c) {
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

bool needsEscape(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || QChar::isSurrogate(c) || c == 0x200E ||
           c == 0x200F || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069)
#ifndef Q_OS_WIN
           || c == u'\\'
#endif
        ;
}

QString hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QByteArray encodePath(const QString& path) {
    if (isAsciiText(path)) // most names, converted many to a character at once
        return path.toLatin1();
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    const char16_t* s = reinterpret_cast<const char16_t*>(path.utf16());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            out += char(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            appendUtf8(out, QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else if (isEscapedByte(c)) {
            out += char(c - kEscapeBase);
        } else {
            // A lone surrogate that no listing gave (typed text) goes out in UTF-8's form.
            appendUtf8(out, c);
        }
    }
    return out;
}

QString decodePath(const QByteArray& bytes) {
    if (isAsciiBytes(bytes))
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    const uchar* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int length = validSequenceLength(p + i, n - i);
        switch (length) {
        case 0:
            out += QChar(char16_t(kEscapeBase + p[i]));
            i += 1;
            continue;
        case 1:
            out += QLatin1Char(char(p[i]));
            break;
        case 2:
            out += QChar(char16_t(((p[i] & 0x1F) << 6) | (p[i + 1] & 0x3F)));
            break;
        case 3:
            out += QChar(
                char16_t(((p[i] & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F)));
            break;
        default: {
            const char32_t c = (char32_t(p[i] & 0x07) << 18) | (char32_t(p[i + 1] & 0x3F) << 12) |
                               (char32_t(p[i + 2] & 0x3F) << 6) | char32_t(p[i + 3] & 0x3F);
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
            break;
        }
        }
        i += length;
    }
    return out;
}

QString displayPath(const QString& path) {
    const qsizetype n = path.size();
    const char16_t* s = reinterpret_cast<const char16_t*>(path.utf16());
    qsizetype first = 0;
    while (first < n && !needsEscape(s[first]))
        ++first;
    if (first == n)
        return path;

    QString out = path.left(first);
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = s[i];
        if (!needsEscape(c)) {
            out += QChar(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            out += QChar(c);
            out += QChar(s[++i]);
        } else if (isEscapedByte(c)) {
            out += QStringLiteral("\\x") + hex(c - kEscapeBase, 2);
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (c <= 0x7F) {
            out += QStringLiteral("\\x") + hex(c, 2);
        } else {
            out += QStringLiteral("\\u") + hex(c, 4);
        }
    }
    return out;
}

} // namespace zuk
