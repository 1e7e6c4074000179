// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/text/text_codec.h"

#include <algorithm>
#include <bit>

#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace zuk {

namespace {

constexpr quint64 kHighBits8 = 0x8080808080808080ULL;
// Four UTF-16 units at a time: anything at or above U+0080.
constexpr quint64 kNonAscii4 = 0xFF80FF80FF80FF80ULL;

quint64 load64(const void* p) {
    quint64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Windows-1252, with its five unassigned bytes kept as the C1 controls of the same value so
// that every byte has a character and comes back as itself.
constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t win1252ToUnicode(uchar b) {
    return (b >= 0x80 && b < 0xA0) ? kWin1252High[b - 0x80] : char16_t(b);
}

// The byte for `c`, or -1 when Windows-1252 has none.
int unicodeToWin1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kWin1252High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool isSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Strict UTF-8 check of the sequence at `p`, whose first byte is outside ASCII: no overlong
// form, no encoded surrogate, nothing above U+10FFFF, nothing cut short. Returns its length,
// or -1.
int utf8SequenceLength(const uchar* p, qsizetype n) {
    const uchar b = p[0];
    int length;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return -1;
    }
    if (n < length)
        return -1;
    if (p[1] < low || p[1] > high)
        return -1;
    for (int k = 2; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return -1;
    }
    return length;
}

// Strict UTF-8 check (see utf8SequenceLength). Returns the number of UTF-16 units the bytes
// decode to, or -1.
qsizetype utf8Utf16Length(const uchar* p, qsizetype n) {
    qsizetype i = 0;
    qsizetype units = 0;
    while (i < n) {
        if (i + 8 <= n && (load64(p + i) & kHighBits8) == 0) {
            i += 8;
            units += 8;
            continue;
        }
        if (p[i] < 0x80) {
            ++i;
            ++units;
            continue;
        }
        const int length = utf8SequenceLength(p + i, n - i);
        if (length < 0)
            return -1;
        i += length;
        units += length == 4 ? 2 : 1;
    }
    return units;
}

// Decodes bytes already checked by utf8Utf16Length into exactly `units` UTF-16 units.
QString decodeValidUtf8(const uchar* p, qsizetype n, qsizetype units) {
    QString text(units, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype i = 0;
    while (i < n) {
        if (i + 8 <= n && (load64(p + i) & kHighBits8) == 0) {
            for (int k = 0; k < 8; ++k)
                out[k] = p[i + k];
            out += 8;
            i += 8;
            continue;
        }
        const uchar b = p[i];
        if (b < 0x80) {
            *out++ = b;
            i += 1;
        } else if (b < 0xE0) {
            *out++ = char16_t(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if (b < 0xF0) {
            *out++ = char16_t(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            i += 3;
        } else {
            const char32_t cp = (char32_t(b & 0x07) << 18) | (char32_t(p[i + 1] & 0x3F) << 12) |
                                (char32_t(p[i + 2] & 0x3F) << 6) | char32_t(p[i + 3] & 0x3F);
            *out++ = char16_t(0xD7C0 + (cp >> 10));
            *out++ = char16_t(0xDC00 | (cp & 0x3FF));
            i += 4;
        }
    }
    return text;
}

QString decodeWindows1252(const uchar* p, qsizetype n) {
    QString text(n, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < n; ++i)
        out[i] = win1252ToUnicode(p[i]);
    return text;
}

QString decodeUtf16(const uchar* p, qsizetype n, bool bigEndian) {
    // Code units are copied as they are, lone surrogates included, so saving gives the same
    // bytes back.
    QString text(n / 2, Qt::Uninitialized);
    if (bigEndian)
        qFromBigEndian<char16_t>(p, n / 2, text.data());
    else
        qFromLittleEndian<char16_t>(p, n / 2, text.data());
    return text;
}

bool startsWith(const QByteArray& bytes, const char* mark, qsizetype length) {
    return bytes.size() >= length && std::memcmp(bytes.constData(), mark, length) == 0;
}

bool hasLoneSurrogate(const char16_t* s, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        if (!isSurrogate(s[i]))
            continue;
        if (isHighSurrogate(s[i]) && i + 1 < n && isLowSurrogate(s[i + 1])) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

QByteArray encodeUtf8(const char16_t* s, qsizetype n) {
    qsizetype length = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (i + 8 <= n && ((load64(s + i) | load64(s + i + 4)) & kNonAscii4) == 0) {
            length += 8;
            i += 7;
            continue;
        }
        const char16_t c = s[i];
        if (c < 0x80)
            length += 1;
        else if (c < 0x800)
            length += 2;
        else if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(s[i + 1])) {
            length += 4;
            ++i;
        } else
            length += 3; // a lone surrogate goes out as U+FFFD, also three bytes
    }

    QByteArray bytes(length, Qt::Uninitialized);
    auto* out = reinterpret_cast<uchar*>(bytes.data());
    qsizetype i = 0;
    while (i < n) {
        if (i + 8 <= n && ((load64(s + i) | load64(s + i + 4)) & kNonAscii4) == 0) {
            for (int k = 0; k < 8; ++k)
                out[k] = uchar(s[i + k]);
            out += 8;
            i += 8;
            continue;
        }
        char32_t c = s[i++];
        if (c < 0x80) {
            *out++ = uchar(c);
            continue;
        }
        if (c < 0x800) {
            *out++ = uchar(0xC0 | (c >> 6));
            *out++ = uchar(0x80 | (c & 0x3F));
            continue;
        }
        if (isSurrogate(char16_t(c))) {
            if (isHighSurrogate(char16_t(c)) && i < n && isLowSurrogate(s[i])) {
                c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
                *out++ = uchar(0xF0 | (c >> 18));
                *out++ = uchar(0x80 | ((c >> 12) & 0x3F));
                *out++ = uchar(0x80 | ((c >> 6) & 0x3F));
                *out++ = uchar(0x80 | (c & 0x3F));
                continue;
            }
            c = 0xFFFD;
        }
        *out++ = uchar(0xE0 | (c >> 12));
        *out++ = uchar(0x80 | ((c >> 6) & 0x3F));
        *out++ = uchar(0x80 | (c & 0x3F));
    }
    return bytes;
}

QByteArray encodeWindows1252(const char16_t* s, qsizetype n) {
    QByteArray bytes(n, Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            out[i] = char(c);
        } else {
            const int b = unicodeToWin1252(c);
            out[i] = b < 0 ? '?' : char(b);
        }
    }
    return bytes;
}

QByteArray encodeUtf16(const char16_t* s, qsizetype n, bool bigEndian) {
    if (n == 0)
        return {}; // an empty view may have no data at all: nothing to copy from
    QByteArray bytes(n * 2, Qt::Uninitialized);
    if (bigEndian)
        qToBigEndian<char16_t>(s, n, bytes.data());
    else
        qToLittleEndian<char16_t>(s, n, bytes.data());
    return bytes;
}

} // namespace

Result<EncodingInfo> detectEncoding(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();

    const bool utf16le = startsWith(bytes, "\xFF\xFE", 2);
    if (utf16le || startsWith(bytes, "\xFE\xFF", 2)) {
        if (n % 2 != 0)
            return notTextError();
        return EncodingInfo{utf16le ? TextEncoding::Utf16LE : TextEncoding::Utf16BE, 2};
    }

    if (n > 0 && std::memchr(p, 0, size_t(n)) != nullptr)
        return notTextError();

    const qsizetype markLength = startsWith(bytes, "\xEF\xBB\xBF", 3) ? 3 : 0;
    if (utf8Utf16Length(p + markLength, n - markLength) < 0)
        return EncodingInfo{TextEncoding::Windows1252, 0};
    return EncodingInfo{markLength ? TextEncoding::Utf8Bom : TextEncoding::Utf8, markLength};
}

bool isAsciiText(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiBytes(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) < 0x80; });
}

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (;;) {
        // Most text is ASCII for long stretches, even between the characters outside it: 32
        // bytes a step, then 8, to the next byte outside it, which starts a character.
        while (i + 32 <= n &&
               ((load64(p + i) | load64(p + i + 8) | load64(p + i + 16) | load64(p + i + 24)) &
                kHighBits8) == 0)
            i += 32;
        while (i + 8 <= n) {
            const quint64 high = qFromLittleEndian<quint64>(p + i) & kHighBits8;
            if (high != 0) {
                i += std::countr_zero(high) / 8;
                break;
            }
            i += 8;
        }
        while (i < n && p[i] < 0x80)
            ++i;
        if (i == n)
            return true;
        const int length = utf8SequenceLength(p + i, n - i);
        if (length < 0)
            return false;
        i += length;
    }
}

QString decodeBody(QByteArrayView body, TextEncoding encoding) {
    const auto* p = reinterpret_cast<const uchar*>(body.data());
    const qsizetype n = body.size();
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return decodeValidUtf8(p, n, utf8Utf16Length(p, n));
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return decodeUtf16(p, n, encoding == TextEncoding::Utf16BE);
    case TextEncoding::Windows1252:
        return decodeWindows1252(p, n);
    }
    return {};
}

Result<DecodedText> decodeText(const QByteArray& bytes) {
    const Result<EncodingInfo> info = detectEncoding(bytes);
    if (!info)
        return info.error();
    const QByteArrayView body = QByteArrayView(bytes).sliced(info.value().markLength);
    return DecodedText{decodeBody(body, info.value().encoding), info.value().encoding};
}

bool canEncode(QStringView text, TextEncoding encoding) {
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return !hasLoneSurrogate(s, n);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return true;
    case TextEncoding::Windows1252:
        for (qsizetype i = 0; i < n; ++i) {
            if (s[i] >= 0x80 && unicodeToWin1252(s[i]) < 0)
                return false;
        }
        return true;
    }
    return false;
}

QByteArray byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArrayLiteral("\xEF\xBB\xBF");
    case TextEncoding::Utf16LE:
        return QByteArrayLiteral("\xFF\xFE");
    case TextEncoding::Utf16BE:
        return QByteArrayLiteral("\xFE\xFF");
    case TextEncoding::Utf8:
    case TextEncoding::Windows1252:
        break;
    }
    return {};
}

QByteArray encodeText(QStringView text, TextEncoding encoding) {
    const auto* s = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return encodeUtf8(s, n);
    case TextEncoding::Utf16LE:
        return encodeUtf16(s, n, false);
    case TextEncoding::Utf16BE:
        return encodeUtf16(s, n, true);
    case TextEncoding::Windows1252:
        return encodeWindows1252(s, n);
    }
    return {};
}

qsizetype safeChunkEnd(QStringView text, qsizetype from, qsizetype maxLength) {
    const qsizetype size = text.size();
    if (from >= size)
        return size;
    const qsizetype end = from + qMin(qMax<qsizetype>(maxLength, 1), size - from);
    if (end < size && QChar::isHighSurrogate(text[end - 1].unicode()) &&
        QChar::isLowSurrogate(text[end].unicode())) {
        // A piece of one unit that would split a pair takes the whole pair instead, so the
        // caller always moves on.
        return end - 1 > from ? end - 1 : end + 1;
    }
    return end;
}

} // namespace zuk
