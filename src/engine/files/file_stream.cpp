// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_stream.h"

#include "engine/files/path_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

// Spans at least this long go from the input buffer to the file without a copy.
constexpr qsizetype kDirectSpan = 64 * 1024;

// Bytes at the end that start a UTF-8 sequence the next read completes.
qsizetype incompleteTail(QByteArrayView bytes) {
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
        const uchar b = uchar(bytes[bytes.size() - back]);
        if ((b & 0xC0) == 0x80)
            continue;
        const qsizetype need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

// Whether `bytes` hold `sequence`, found by its first byte (memchr is many times quicker than
// a general search, and the first bytes here are rare).
bool holdsSequence(QByteArrayView bytes, QByteArrayView sequence) {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const void* lead = std::memchr(p, sequence[0], size_t(end - p));
        if (!lead)
            return false;
        p = static_cast<const char*>(lead);
        if (QByteArrayView(p, end - p).startsWith(sequence))
            return true;
        ++p;
    }
    return false;
}

// The Kelvin sign or the long s, in UTF-8.
bool holdsAsciiFolding(QByteArrayView bytes) {
    return holdsSequence(bytes, "\xE2\x84\xAA") || holdsSequence(bytes, "\xC5\xBF");
}

} // namespace

Result<std::unique_ptr<FileStream>> FileStream::open(const QString& path, qsizetype bufferSize) {
    const QByteArray native = encodePath(path);
    // Non-blocking so that a FIFO is refused instead of waiting for a writer. A symbolic link
    // is told by the refusal to follow it, without a path lookup of its own.
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    const bool link = fd < 0 && errno == ELOOP;
    if (link)
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorFromErrno(errno);
    std::unique_ptr<FileStream> stream(new FileStream);
    stream->m_link = link;
    stream->m_fd = fd;
    stream->m_path = path;
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errorFromErrno(errno);
    // A regular file ignores O_NONBLOCK, so it needs no clearing.
    if (!S_ISREG(st.st_mode))
        return notRegularFileError(S_ISDIR(st.st_mode));
    FileIdentity& id = stream->m_identity;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + qint64(st.st_mtim.tv_nsec);
    id.mode = quint32(st.st_mode);
    id.uid = quint32(st.st_uid);
    id.gid = quint32(st.st_gid);
    // A small file takes a buffer of its own size.
    stream->m_capacity = std::max<qsizetype>(16, std::min<qsizetype>(bufferSize, st.st_size + 1));
    stream->m_buffer = QByteArray(stream->m_capacity, Qt::Uninitialized);
    if (Status filled = stream->fill(); !filled)
        return filled.error();
    const QByteArrayView first = stream->window().first(std::min<qsizetype>(3, stream->m_length));
    stream->m_mark = first.startsWith("\xEF\xBB\xBF")                               ? Mark::Utf8
                     : first.startsWith("\xFF\xFE") || first.startsWith("\xFE\xFF") ? Mark::Utf16
                                                                                    : Mark::None;
    if (stream->hasUtf16Mark())
        return stream; // not searched in its bytes: the caller loads it whole
    if (std::memchr(stream->m_buffer.constData(), 0, size_t(stream->m_length)))
        return notTextError();
    return stream;
}

FileStream::~FileStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileStream::hasUtf16Mark() const {
    return m_mark == Mark::Utf16;
}

bool FileStream::hasUtf8Mark() const {
    return m_mark == Mark::Utf8;
}

Status FileStream::readAt(qint64 offset, char* into, qsizetype size, qsizetype& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(m_fd, into + got, size_t(size - got), off_t(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno(errno);
        }
        if (n == 0)
            break;
        got += n;
        // Short at or past the size seen at open: the end, without a read that returns nothing.
        if (got < size && offset + got >= m_identity.size)
            break;
    }
    return {};
}

Status FileStream::fill() {
    restoreCapacity();
    qsizetype got = 0;
    const qsizetype before = m_length;
    if (Status s =
            readAt(m_start + m_length, m_buffer.data() + m_length, m_capacity - m_length, got);
        !s)
        return s;
    m_length += got;
    m_eof = m_length < m_capacity;
    if (before > 0 && std::memchr(m_buffer.constData() + before, 0, size_t(got)))
        return notTextError();
    return {};
}

Result<FileStream::Survey> FileStream::survey(bool folding) {
    Survey found;
    if (m_start == 0 && m_eof) {
        // The window holds the whole file, checked for NUL bytes as it was read.
        const QByteArrayView body = window().sliced(std::min<qsizetype>(bodyStart(), m_length));
        found.validUtf8 = isValidUtf8(body);
        found.asciiFolding = folding && found.validUtf8 && holdsAsciiFolding(body);
        return found;
    }
    // The buffer is borrowed and read again from where it was afterwards.
    restoreCapacity();
    QByteArray& buffer = m_buffer;
    qint64 offset = bodyStart();
    qsizetype carried = 0;
    for (;;) {
        qsizetype got = 0;
        if (Status s = readAt(offset, buffer.data() + carried, m_capacity - carried, got); !s)
            return s.error();
        offset += got;
        const bool last = got < m_capacity - carried;
        qsizetype length = carried + got;
        if (std::memchr(buffer.constData() + carried, 0, size_t(got)))
            return notTextError();
        const QByteArrayView bytes(buffer.constData(), length);
        const qsizetype tail = last ? 0 : incompleteTail(bytes);
        const QByteArrayView whole = bytes.first(length - tail);
        if (found.validUtf8 && !isValidUtf8(whole))
            found.validUtf8 = false;
        if (folding && !found.asciiFolding)
            found.asciiFolding = holdsAsciiFolding(whole);
        if (last)
            break;
        std::memmove(buffer.data(), buffer.constData() + length - tail, size_t(tail));
        carried = tail;
    }
    found.asciiFolding = found.asciiFolding && found.validUtf8;
    const qint64 start = m_start;
    m_length = 0;
    m_start = start;
    if (Status s = fill(); !s)
        return s.error();
    return found;
}

void FileStream::restoreCapacity() {
    // After beginning() shared a whole file's buffer, reading into it again needs it whole.
    if (m_buffer.size() < m_capacity)
        m_buffer.resize(m_capacity);
}

QByteArray FileStream::beginning() {
    const qsizetype body = qsizetype(std::max<qint64>(0, bodyStart() - m_start));
    if (m_eof && body == 0) {
        m_buffer.truncate(m_length); // not shared yet, so it keeps its memory
        return m_buffer;             // any later change to either copies it first
    }
    return window().sliced(std::min(body, m_length)).toByteArray();
}

Status FileStream::advance(qint64 keepFrom) {
    keepFrom = std::clamp<qint64>(keepFrom, m_start, m_start + m_length);
    if (m_writerOpened)
        emitInput(keepFrom);
    const qsizetype dropped = qsizetype(keepFrom - m_start);
    std::memmove(m_buffer.data(), m_buffer.constData() + dropped, size_t(m_length - dropped));
    m_length -= dropped;
    m_start = keepFrom;
    return fill();
}

Status FileStream::grow() {
    m_capacity *= 2;
    return fill();
}

Result<QByteArray> FileStream::firstLineBreak() {
    char chunk[4096];
    for (qint64 offset = bodyStart();;) {
        qsizetype got = 0;
        if (Status s = readAt(offset, chunk, sizeof chunk, got); !s)
            return s.error();
        for (qsizetype i = 0; i < got; ++i) {
            if (chunk[i] == '\n')
                return QByteArray("\n");
            if (chunk[i] == '\r') {
                char next = 0;
                qsizetype one = 0;
                if (Status s = readAt(offset + i + 1, &next, 1, one); !s)
                    return s.error();
                return QByteArray(one == 1 && next == '\n' ? "\r\n" : "\r");
            }
        }
        if (got < qsizetype(sizeof chunk))
            return QByteArray();
        offset += got;
    }
}

char16_t FileStream::unitBefore(qint64 position) const {
    if (position > m_copied || !m_writerOpened)
        return position > bodyStart() ? uchar(m_buffer[qsizetype(position - 1 - m_start)]) : 0;
    return m_bodyEmitted ? uchar(m_lastOutput) : 0;
}

void FileStream::replace(qint64 position, qint64 length, QByteArrayView replacement) {
    const QByteArrayView replaced =
        window().sliced(qsizetype(position - m_start), qsizetype(length));
    if (replaced == replacement)
        return; // nothing to write unless something else differs
    m_differs = true;
    if (!m_writerOpened) {
        m_writerOpened = true;
        m_out = QByteArray(std::min<qsizetype>(m_capacity, kDirectSpan * 4), Qt::Uninitialized);
        m_out.resize(0);
        Result<std::unique_ptr<AtomicFileWriter>> opened =
            AtomicFileWriter::open(m_path, m_identity, {}, m_place);
        if (opened) {
            m_writer = std::move(opened.value());
            if (m_watch)
                m_writer->setWatch(m_watch);
        } else
            m_outputStatus = opened.error();
    }
    emitInput(position);
    emit(replacement, true);
    m_copied = position + length;
}

void FileStream::emitInput(qint64 to) {
    // Input before the window is read again (only before the first replacement of a big file).
    while (m_copied < std::min(to, m_start)) {
        flush();
        const qsizetype size = qsizetype(std::min<qint64>(
            std::max<qsizetype>(m_out.capacity(), kDirectSpan), m_start - m_copied));
        m_out.resize(size);
        qsizetype got = 0;
        if (Status s = readAt(m_copied, m_out.data(), size, got); !s || got < size) {
            m_outputStatus = s ? Status(changedOnDiskError()) : s;
            m_out.resize(0);
            return;
        }
        const qint64 from = m_copied;
        m_copied += size;
        emit(m_out, from + size > bodyStart());
    }
    if (to > m_copied) {
        const qint64 from = m_copied;
        m_copied = to;
        emit(window().sliced(qsizetype(from - m_start), qsizetype(to - from)), to > bodyStart());
    }
}

void FileStream::emit(QByteArrayView bytes, bool body) {
    if (bytes.isEmpty())
        return;
    m_bodyEmitted = m_bodyEmitted || body;
    m_lastOutput = bytes.back();
    if (m_shown.size() < m_capacity)
        m_shown.append(bytes.first(std::min<qsizetype>(bytes.size(), m_capacity - m_shown.size())));
    if (!m_outputStatus)
        return;
    const bool own = bytes.data() == m_out.constData();
    if (own || bytes.size() >= kDirectSpan || m_out.size() + bytes.size() > m_out.capacity()) {
        if (!own)
            flush();
        if (m_outputStatus && (own || bytes.size() >= kDirectSpan))
            m_outputStatus = m_writer->write(bytes.data(), bytes.size());
        if (own)
            m_out.resize(0);
        if (own || bytes.size() >= kDirectSpan)
            return;
    }
    m_out.append(bytes);
}

void FileStream::flush() {
    if (!m_out.isEmpty() && m_outputStatus)
        m_outputStatus = m_writer->write(m_out.constData(), m_out.size());
    m_out.resize(0);
}

Status FileStream::finish() {
    if (!m_writerOpened)
        return {};
    for (;;) {
        emitInput(m_start + m_length);
        if (m_eof)
            break;
        if (Status s = advance(m_start + m_length); !s)
            return s;
    }
    flush();
    return {};
}

std::unique_ptr<AtomicFileWriter> FileStream::takeOutput() {
    return m_outputStatus ? std::move(m_writer) : nullptr;
}

} // namespace zuk
