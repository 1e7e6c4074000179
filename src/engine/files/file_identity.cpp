// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_identity.h"

#include "engine/files/file_io.h"
#include "engine/files/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

Result<LoadedBytes> readWholeFile(const QString& path) {
    // Non-blocking so that a FIFO is refused instead of waiting for a writer.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorFromErrno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return errorFromErrno(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegularFileError(S_ISDIR(st.st_mode));
    }
    // A regular file ignores O_NONBLOCK, so it needs no clearing.

    // One byte more than the size so that a file that grew since fstat is still read whole.
    Result<QByteArray> bytes = readAll(fd, qsizetype(st.st_size) + 1);
    ::close(fd);
    if (!bytes)
        return bytes.error();
    return LoadedBytes{std::move(bytes.value()), identityOf(st)};
}

Result<FileIdentity> identifyFile(const QString& path) {
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0)
        return errorFromErrno(errno);
    return identityOf(st);
}

Status checkSameAsRead(const QString& path, const FileIdentity& original) {
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0)
        return errorFromErrno(errno);
    return sameAsRead(st, original) ? Status() : Status(changedOnDiskError());
}

} // namespace zuk
