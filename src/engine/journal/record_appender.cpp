// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/record_appender.h"

#include "engine/files/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {
// A run of 15,000 files records about 6 MB: a few mappings a run.
constexpr off_t kRoom = 1 << 20;
} // namespace

void RecordAppender::unmap() {
    if (m_map)
        ::munmap(m_map, m_mapLength);
    m_map = nullptr;
    m_mapLength = 0;
}

bool RecordAppender::mapRoom(qsizetype needed) {
    unmap();
    if (m_end < 0) {
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        m_end = st.st_size;
    }
    const off_t page = ::sysconf(_SC_PAGESIZE);
    const off_t start = m_end / page * page;
    const off_t length = (m_end - start + std::max<off_t>(needed, kRoom) + page - 1) / page * page;
    // Room set aside on the disk first: a page written through the mapping then never lacks
    // a block, which would kill the process instead of failing a write.
    if (::fallocate(m_fd, 0, start, length) != 0) {
        (void)::ftruncate(m_fd, m_end);
        return false;
    }
    void* map = ::mmap(nullptr, size_t(length), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE,
                       m_fd, start);
    if (map == MAP_FAILED) {
        (void)::ftruncate(m_fd, m_end);
        return false;
    }
    m_map = static_cast<char*>(map);
    m_mapStart = start;
    m_mapLength = size_t(length);
    return true;
}

Status RecordAppender::append(QByteArrayView bytes) {
    if (!m_state)
        return m_state;
    const bool fits = m_map && m_end + bytes.size() <= m_mapStart + off_t(m_mapLength);
    if (!m_plain && !fits && !mapRoom(bytes.size())) {
        // Cut back first: the file's end is where the writes go.
        if (const Status closed = close(); !closed)
            return closed;
        m_plain = true;
    }
    if (m_plain)
        return writeAll(m_fd, bytes.data(), bytes.size());
    std::memcpy(m_map + (m_end - m_mapStart), bytes.data(), size_t(bytes.size()));
    m_end += bytes.size();
    return {};
}

Status RecordAppender::close() {
    if (!m_state || m_end < 0)
        return m_state;
    unmap();
    // Lines after zeros would be lost to a reader: a record that can't be cut takes no more.
    if (::ftruncate(m_fd, m_end) != 0)
        m_state = errorFromErrno(errno);
    else
        m_end = -1;
    return m_state;
}

} // namespace zuk
