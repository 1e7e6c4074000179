// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/text_buffer.h"

#include "engine/text/line_breaks.h"

#include <QByteArrayMatcher>

#include <cstring>

namespace zuk {

namespace {

// Pieces of this many characters (or bytes) are encoded and written at a time, so a save
// never holds a second full copy of a big text.
constexpr qsizetype kSaveChunk = 1 << 20;

template <typename View> QString firstLineBreak(View text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            return QStringLiteral("\n");
        if (text[i] == '\r')
            return i + 1 < text.size() && text[i + 1] == '\n' ? QStringLiteral("\r\n")
                                                              : QStringLiteral("\r");
    }
    return platformLineBreak();
}

} // namespace

Status TextBuffer::load(const QString& path) {
    Result<LoadedBytes> loaded = readWholeFile(path);
    if (!loaded)
        return loaded.error();
    QByteArray& bytes = loaded.value().bytes;
    const bool marked = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
                        bytes.startsWith("\xEF\xBB\xBF");
    if (marked) {
        const Result<EncodingInfo> info = detectEncoding(bytes);
        if (!info)
            return info.error();
        m_encoding = info.value().encoding;
        bytes.remove(0, info.value().markLength);
    } else {
        if (bytes.contains('\0'))
            return notTextError();
        m_encoding = TextEncoding::Utf8;
    }
    m_encodingSettled = marked;
    m_holdsBytes = m_encoding != TextEncoding::Utf16LE && m_encoding != TextEncoding::Utf16BE;
    if (m_holdsBytes) {
        m_bytes = std::move(bytes);
        m_text = QString();
        m_textDecoded = false;
    } else {
        m_text = decodeBody(bytes, m_encoding);
        m_bytes = QByteArray();
        m_textDecoded = true;
    }
    m_asciiFolding.reset();
    m_identity = loaded.value().identity;
    m_loadedPath = path;
    m_modified = false;
    return {};
}

qsizetype TextBuffer::markLength() const {
    // A file without a mark whose encoding is still open has none either way.
    return byteOrderMark(m_encoding).size();
}

TextEncoding TextBuffer::encoding() const {
    if (!m_encodingSettled) {
        m_encoding = isValidUtf8(m_bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
        m_encodingSettled = true;
    }
    return m_encoding;
}

bool TextBuffer::canHold(QStringView text) const {
    return isAsciiText(text) || canEncode(text, encoding());
}

Status TextBuffer::save(const QString& path, WriteTracker* writes, const BackupMaker& backup,
                        std::optional<FileIdentity>* written, const WriteHooks& hooks) const {
    const std::optional<FileIdentity> original =
        path == m_loadedPath ? m_identity : std::optional<FileIdentity>();
    Result<std::unique_ptr<AtomicFileWriter>> opened =
        AtomicFileWriter::open(path, original, backup, hooks.place);
    if (!opened)
        return opened.error();
    AtomicFileWriter& writer = *opened.value();
    writer.setBeforeRename(hooks.beforeRename);
    writer.setWatch(hooks.watch);
    if (Status s = writer.write(byteOrderMark(m_encoding)); !s)
        return s;
    if (m_holdsBytes) {
        if (Status s = writer.write(m_bytes); !s)
            return s;
    } else {
        const QStringView text(m_text);
        for (qsizetype from = 0; from < text.size();) {
            const qsizetype end = safeChunkEnd(text, from, kSaveChunk);
            if (Status s = writer.write(encodeText(text.sliced(from, end - from), m_encoding)); !s)
                return s;
            from = end;
        }
    }
    return writer.commit(writes, written);
}

const QString& TextBuffer::text() const {
    if (!m_textDecoded)
        decodeBytes();
    return m_text;
}

void TextBuffer::decodeBytes() const {
    m_text = decodeBody(m_bytes, encoding());
    m_textDecoded = true;
}

WorkingText TextBuffer::shown() const {
    if (!m_holdsBytes || m_textDecoded)
        return WorkingText(m_text);
    return WorkingText(m_bytes, m_encoding, m_encodingSettled);
}

void TextBuffer::setText(QString text) {
    m_text = std::move(text);
    m_bytes = QByteArray();
    m_holdsBytes = false;
    m_textDecoded = true;
    m_asciiFolding.reset();
    m_encoding = TextEncoding::Utf8;
    m_encodingSettled = true;
    m_identity.reset();
    m_loadedPath.clear();
    m_modified = false;
}

void TextBuffer::settleModified(const TextBuffer& before) {
    if (!m_modified || before.m_modified)
        return;
    if (m_holdsBytes && before.m_holdsBytes ? m_bytes == before.m_bytes : text() == before.text())
        m_modified = false;
}

QString TextBuffer::lineBreak() const {
    return m_holdsBytes ? firstLineBreak(QByteArrayView(m_bytes))
                        : firstLineBreak(QStringView(m_text));
}

char16_t TextBuffer::unitAt(qsizetype i) const {
    if (m_holdsBytes)
        return i >= 0 && i < m_bytes.size() ? uchar(m_bytes[i]) : 0;
    return i >= 0 && i < m_text.size() ? m_text[i].unicode() : 0;
}

bool TextBuffer::hasAsciiFoldingCharacters() const {
    if (!m_asciiFolding) {
        // Only UTF-8 can hold them: the Kelvin sign folds to "k", the long s to "s".
        static const QByteArrayMatcher kelvin(QByteArrayLiteral("\xE2\x84\xAA"));
        static const QByteArrayMatcher longS(QByteArrayLiteral("\xC5\xBF"));
        const bool oneByte = m_encodingSettled && m_encoding == TextEncoding::Windows1252;
        m_asciiFolding = !oneByte && (kelvin.indexIn(m_bytes) >= 0 || longS.indexIn(m_bytes) >= 0);
    }
    return *m_asciiFolding;
}

void TextBuffer::useCharacters() {
    if (!m_holdsBytes)
        return;
    if (!m_textDecoded)
        decodeBytes();
    m_bytes = QByteArray();
    m_holdsBytes = false;
}

TextBuffer::Rewrite::Rewrite(TextBuffer& buffer) : m_buffer(buffer) {}

namespace {

// Appends by copying into room made ahead, growing it by doubling: a replace-all makes two
// appends per find, and the containers' own append costs more than the copy itself.
template <typename Out, typename View> void put(Out& out, qsizetype& size, View piece) {
    if (piece.isEmpty())
        return;
    if (size + piece.size() > out.size())
        out.resize(qMax(out.size() * 2, size + piece.size()));
    std::memcpy(out.data() + size, piece.data(), size_t(piece.size()) * sizeof(*piece.data()));
    size += piece.size();
}

} // namespace

template <typename Out, typename View>
void TextBuffer::Rewrite::append(Out& out, View source, qsizetype position, qsizetype length,
                                 View replacement) {
    if (!m_started) {
        out.resize(source.size() + source.size() / 16 + replacement.size());
        m_size = 0;
        m_started = true;
    }
    if (!m_differs && source.sliced(position, length) != replacement)
        m_differs = true;
    put(out, m_size, source.sliced(m_copied, position - m_copied));
    put(out, m_size, replacement);
    m_copied = position + length;
}

void TextBuffer::Rewrite::replace(qsizetype position, qsizetype length, QStringView replacement) {
    if (!m_buffer.m_holdsBytes) {
        append(m_out, QStringView(m_buffer.m_text), position, length, replacement);
        return;
    }
    if (replacement != m_replacement) {
        m_replacement = replacement.toString();
        // ASCII is the same in every encoding the byte form holds.
        m_replacementBytes = isAsciiText(m_replacement)
                                 ? m_replacement.toLatin1()
                                 : encodeText(m_replacement, m_buffer.encoding());
    }
    append(m_outBytes, QByteArrayView(m_buffer.m_bytes), position, length,
           QByteArrayView(m_replacementBytes));
}

char16_t TextBuffer::Rewrite::unitBefore(qsizetype position) const {
    if (position > m_copied || !m_started)
        return m_buffer.unitAt(position - 1);
    if (m_size == 0)
        return 0;
    return m_buffer.m_holdsBytes ? uchar(m_outBytes[m_size - 1]) : m_out[m_size - 1].unicode();
}

void TextBuffer::Rewrite::finish() {
    if (!m_started)
        return;
    if (m_differs) {
        if (m_buffer.m_holdsBytes) {
            put(m_outBytes, m_size, QByteArrayView(m_buffer.m_bytes).sliced(m_copied));
            m_outBytes.resize(m_size);
            m_buffer.m_bytes = std::move(m_outBytes);
            m_buffer.m_textDecoded = false;
            m_buffer.m_text = QString();
            m_buffer.m_asciiFolding.reset();
        } else {
            put(m_out, m_size, QStringView(m_buffer.m_text).sliced(m_copied));
            m_out.resize(m_size);
            m_buffer.m_text = std::move(m_out);
        }
        m_buffer.m_modified = true;
    }
    m_out = QString();
    m_outBytes = QByteArray();
    m_started = false;
    m_differs = false;
    m_copied = 0;
}

} // namespace zuk
