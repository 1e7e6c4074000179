// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QString>

namespace zuk {

// How a file's bytes became text, so that saving gives back the same bytes.
enum class TextEncoding {
    Utf8,        // strictly valid UTF-8 without a mark (also every pure ASCII file)
    Utf8Bom,     // UTF-8 with its byte-order mark
    Utf16LE,     // UTF-16 little endian with its mark
    Utf16BE,     // UTF-16 big endian with its mark
    Windows1252, // anything else: one byte per character, every byte maps to one character and back
};

struct DecodedText {
    QString text; // without the byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
};

// Lossless decoding. A NUL byte in a file without a UTF-16 mark is not text: error 75.
// A UTF-8 mark followed by invalid UTF-8 falls back to the one-byte decoding (mark included as
// characters); a UTF-16 mark with an odd number of bytes is error 75.
Result<DecodedText> decodeText(const QByteArray& bytes);

struct EncodingInfo {
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype markLength = 0; // bytes of the byte-order mark at the start
};

// The decision of decodeText without the decoding: which encoding, how long its mark.
Result<EncodingInfo> detectEncoding(const QByteArray& bytes);

// True when the bytes are strictly valid UTF-8.
bool isValidUtf8(QByteArrayView bytes);

// True when every unit lies below 0x80.
bool isAsciiText(QStringView text);
bool isAsciiBytes(QByteArrayView bytes);

// Decodes the bytes after the mark of text known to be in `encoding` (see detectEncoding).
QString decodeBody(QByteArrayView body, TextEncoding encoding);

// True when every character of `text` can be stored in `encoding` and read back the same.
bool canEncode(QStringView text, TextEncoding encoding);

// The byte-order mark of the encoding (empty for Utf8 and Windows1252).
QByteArray byteOrderMark(TextEncoding encoding);

// Encodes without a mark. `text` must pass canEncode; the caller splits big texts into pieces
// and must not cut a surrogate pair (see safeChunkEnd).
QByteArray encodeText(QStringView text, TextEncoding encoding);

// The end of a piece of at most `maxLength` characters from `from` that doesn't split a
// surrogate pair.
qsizetype safeChunkEnd(QStringView text, qsizetype from, qsizetype maxLength);

} // namespace zuk
