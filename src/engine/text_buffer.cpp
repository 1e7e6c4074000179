#include "engine/text_buffer.h"

namespace zuk {

namespace {

// Pieces of this many characters are encoded and written at a time, so a save never holds a
// second full copy of a big text.
constexpr qsizetype kSaveChunk = 1 << 20;

} // namespace

Status TextBuffer::load(const QString& path) {
    Result<LoadedBytes> loaded = readWholeFile(path);
    if (!loaded)
        return loaded.error();
    Result<DecodedText> decoded = decodeText(loaded.value().bytes);
    if (!decoded)
        return decoded.error();
    loaded.value().bytes = QByteArray(); // free the raw bytes before keeping the text
    m_text = std::move(decoded.value().text);
    m_encoding = decoded.value().encoding;
    m_identity = loaded.value().identity;
    m_loadedPath = path;
    m_modified = false;
    return {};
}

Status TextBuffer::save(const QString& path, WriteJournal* journal) const {
    const std::optional<FileIdentity> original =
        path == m_loadedPath ? m_identity : std::optional<FileIdentity>();
    Result<std::unique_ptr<AtomicFileWriter>> opened = AtomicFileWriter::open(path, original);
    if (!opened)
        return opened.error();
    AtomicFileWriter& writer = *opened.value();
    if (Status s = writer.write(byteOrderMark(m_encoding)); !s)
        return s;
    const QStringView text(m_text);
    for (qsizetype from = 0; from < text.size();) {
        const qsizetype end = safeChunkEnd(text, from, kSaveChunk);
        if (Status s = writer.write(encodeText(text.sliced(from, end - from), m_encoding)); !s)
            return s;
        from = end;
    }
    return writer.commit(journal);
}

Status TextBuffer::checkUnchangedOnDisk(const QString& path) const {
    if (!m_identity || path != m_loadedPath)
        return {};
    Result<FileIdentity> now = identifyFile(path);
    if (!now)
        return now.error();
    const FileIdentity& was = *m_identity;
    const FileIdentity& is = now.value();
    if (was.device != is.device || was.inode != is.inode || was.size != is.size ||
        was.mtimeNs != is.mtimeNs)
        return Error{ErrorNumber::PathFileAccess,
                     QStringLiteral("Path/File access error (the file changed on disk since it "
                                    "was read)")};
    return {};
}

void TextBuffer::setText(QString text) {
    m_text = std::move(text);
    m_encoding = TextEncoding::Utf8;
    m_identity.reset();
    m_loadedPath.clear();
    m_modified = false;
}

QString TextBuffer::lineBreak() const {
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == u'\n')
            return QStringLiteral("\n");
        if (m_text[i] == u'\r')
            return i + 1 < m_text.size() && m_text[i + 1] == u'\n' ? QStringLiteral("\r\n")
                                                                   : QStringLiteral("\r");
    }
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

TextBuffer::Rewrite::Rewrite(TextBuffer& buffer) : m_buffer(buffer) {}

void TextBuffer::Rewrite::replace(qsizetype position, qsizetype length, QStringView replacement) {
    const QString& source = m_buffer.m_text;
    if (!m_started) {
        m_out.reserve(source.size() + source.size() / 16 + replacement.size());
        m_started = true;
    }
    if (!m_differs && QStringView(source).sliced(position, length) != replacement)
        m_differs = true;
    m_out.append(QStringView(source).sliced(m_copied, position - m_copied));
    m_out.append(replacement);
    m_copied = position + length;
}

void TextBuffer::Rewrite::finish() {
    if (!m_started)
        return;
    if (m_differs) {
        m_out.append(QStringView(m_buffer.m_text).sliced(m_copied));
        m_buffer.m_text = std::move(m_out);
        m_buffer.m_modified = true;
    }
    m_out = QString();
    m_started = false;
    m_differs = false;
    m_copied = 0;
}

} // namespace zuk
