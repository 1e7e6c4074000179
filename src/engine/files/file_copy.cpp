// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's whole-file uses: a small text written at once, a file copied, a backup kept.
#include "engine/files/atomic_file.h"

#include "engine/files/path_bytes.h"
#include "engine/files/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

Status writeFileAtomically(const QString& target, const QByteArray& bytes,
                           const std::optional<FileIdentity>& original, WriteTracker* writes) {
    auto writer = AtomicFileWriter::open(target, original);
    if (!writer)
        return writer.error();
    if (Status written = writer.value()->write(bytes); !written)
        return written;
    return writer.value()->commit(writes);
}

Status copyFileAtomically(const QString& source, const QString& target) {
    const QByteArray from = nativePath(source);
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return errorFromErrno(errno);
    struct stat st;
    const Error refused = ::fstat(in, &st) != 0  ? errorFromErrno(errno)
                          : !S_ISREG(st.st_mode) ? notRegularFileError(S_ISDIR(st.st_mode))
                                                 : Error{};
    if (refused.number != 0) {
        ::close(in);
        return refused;
    }
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

    Result<std::unique_ptr<AtomicFileWriter>> writer =
        AtomicFileWriter::openLike(target, st.st_mode, st.st_uid, st.st_gid, from);
    if (!writer) {
        ::close(in);
        return writer.error();
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const Result<qsizetype> got = readSome(in, buffer.data(), buffer.size());
        if (!got) {
            ::close(in);
            return got.error();
        }
        if (got.value() == 0)
            break;
        if (Status written = writer.value()->write(buffer.constData(), got.value()); !written) {
            ::close(in);
            return written;
        }
    }
    ::close(in);
    return writer.value()->commit();
}

Status keepAsBackup(const QString& path, const QString& backupPath) {
    const QByteArray file = nativePath(path);
    const QByteArray backup = nativePath(backupPath);
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return errorFromErrno(errno);
    // The earlier backup goes first, since a link can't replace a name. A kill in between
    // leaves the file itself as it was. Linking to a spare name and renaming that over the
    // backup would keep a backup at every moment, but a kill could then leave the spare name
    // behind as a second link of the user's file.
    if (Status removed = removeFile(backupPath); !removed)
        return removed;
    if (::linkat(AT_FDCWD, file.constData(), AT_FDCWD, backup.constData(), 0) == 0)
        return {};
    if (!linkImpossible(errno))
        return errorFromErrno(errno);
    return S_ISLNK(st.st_mode) ? copyLink(file, backup) : copyFileAtomically(path, backupPath);
}

} // namespace zuk
