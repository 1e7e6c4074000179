// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/write_tracker.h"

#include "engine/files/posix_file.h"
#include "engine/files/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

void WriteTracker::sweepFolder(const QString& folder) {
    sweepOnce(nativePath(folder));
}

void WriteTracker::sweepOnce(const QByteArray& folder) {
    if (!m_sweptFolders.contains(folder)) {
        m_sweptFolders.insert(folder);
        sweepStaleTemporaries(folder);
    }
}

void WriteTracker::note(const QString& writtenPath, std::optional<quint64> device) {
    const QByteArray native = nativePath(writtenPath);
    sweepOnce(folderOf(native));
    if (!device) {
        struct stat st;
        if (::stat(native.constData(), &st) != 0)
            return; // gone again: nothing of it left to flush
        device = quint64(st.st_dev);
    }
#ifdef Q_OS_LINUX
    // One path per file system is enough for syncfs.
    if (m_devices.contains(*device))
        return;
    m_devices.append(*device);
#endif
    m_paths.append(writtenPath);
}

Status WriteTracker::syncAll() {
    Status result;
    for (const QString& path : std::as_const(m_paths)) {
        const QByteArray native = nativePath(path);
#ifdef Q_OS_LINUX
        int fd = ::open(folderOf(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue; // removed since: nothing to flush there
        const int rc = ::syncfs(fd);
#else
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        const int rc = ::fsync(fd);
#endif
        const int error = errno;
        ::close(fd);
        if (rc != 0 && result.ok())
            result = errorFromErrno(error);
    }
    m_paths.clear();
    m_devices.clear();
    m_sweptFolders.clear();
    return result;
}

} // namespace zuk
