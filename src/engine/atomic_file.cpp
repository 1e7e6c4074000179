#include "engine/atomic_file.h"

#include <QtGlobal>

#ifndef Q_OS_UNIX
#error "atomic_file.cpp needs a POSIX system"
#endif

#include "engine/path_bytes.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk {

namespace {

QByteArray nativePath(const QString& path) {
    return encodePath(path);
}

qint64 mtimeNs(const struct stat& st) {
#ifdef Q_OS_DARWIN
    const struct timespec& t = st.st_mtimespec;
#else
    const struct timespec& t = st.st_mtim;
#endif
    return qint64(t.tv_sec) * 1000000000LL + qint64(t.tv_nsec);
}

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.mtimeNs = mtimeNs(st);
    id.mode = quint32(st.st_mode);
    id.uid = quint32(st.st_uid);
    id.gid = quint32(st.st_gid);
    return id;
}

Error changedOnDisk() {
    return Error{ErrorNumber::PathFileAccess,
                 QStringLiteral("Path/File access error (the file changed on disk since it was "
                                "read)")};
}

bool sameAsRead(const struct stat& st, const FileIdentity& original) {
    return quint64(st.st_dev) == original.device && quint64(st.st_ino) == original.inode &&
           qint64(st.st_size) == original.size && mtimeNs(st) == original.mtimeNs;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// Follows symbolic links at the last component until a non-link (or nothing) is reached, so
// the link's destination is written and the link itself stays as it is.
Result<QByteArray> resolveLinks(QByteArray path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0) {
            if (errno == ENOENT)
                return path; // a dangling link: its destination is created
            return errorFromErrno(errno);
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        QByteArray destination(PATH_MAX, Qt::Uninitialized);
        const ssize_t length =
            ::readlink(path.constData(), destination.data(), size_t(destination.size()));
        if (length < 0)
            return errorFromErrno(errno);
        destination.truncate(length);
        if (!destination.startsWith('/'))
            destination = folderOf(path) + '/' + destination;
        path = destination;
    }
    return errorFromErrno(ELOOP);
}

// The permissions a file created with open() would get here.
mode_t defaultFileMode() {
    mode_t mask = 022;
    bool known = false;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                mask = mode_t(std::strtoul(line + 6, nullptr, 8));
                known = true;
                break;
            }
        }
        std::fclose(status);
    }
    if (!known) {
        mask = ::umask(0);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

// A hidden name in the target's folder; the target's part is shortened when the whole would
// exceed a file name's limit.
QByteArray temporaryTemplate(const QByteArray& target) {
    constexpr qsizetype kNameMax = 255;
    static const QByteArray suffix = QByteArrayLiteral(".zuk-XXXXXX");
    QByteArray name = nameOf(target);
    const qsizetype room = kNameMax - 1 - suffix.size();
    if (name.size() > room) {
        qsizetype cut = room;
        while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut; // keep whole UTF-8 characters
        name.truncate(cut);
    }
    return folderOf(target) + "/." + name + suffix;
}

} // namespace

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
        return makeError(ErrorNumber::PathFileAccess);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    LoadedBytes loaded;
    loaded.identity = identityOf(st);
    // One byte more than the size so that a file that grew since fstat is still read whole.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return error == EISDIR ? makeError(ErrorNumber::PathFileAccess) : errorFromErrno(error);
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    bytes.truncate(filled);
    loaded.bytes = std::move(bytes);
    return loaded;
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
    return sameAsRead(st, original) ? Status() : Status(changedOnDisk());
}

void WriteJournal::note(const QString& writtenPath) {
    struct stat st;
    if (::stat(nativePath(writtenPath).constData(), &st) != 0)
        return; // gone again: nothing of it left to flush
#ifdef Q_OS_LINUX
    // One path per file system is enough for syncfs.
    if (m_devices.contains(quint64(st.st_dev)))
        return;
    m_devices.append(quint64(st.st_dev));
#endif
    m_paths.append(writtenPath);
}

Status WriteJournal::syncAll() {
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
    return result;
}

struct AtomicFileWriter::Impl {
    QByteArray target;    // the file replaced on commit (symbolic links resolved)
    QByteArray temporary; // the hidden file being written
    std::optional<FileIdentity> original;
    int fd = -1;
    bool failed = false;
    bool committed = false;

    void discard() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (!temporary.isEmpty() && !committed) {
            ::unlink(temporary.constData());
            temporary.clear();
        }
    }

    Error fail(const Error& error) {
        failed = true;
        discard();
        return error;
    }
};

Result<std::unique_ptr<AtomicFileWriter>>
AtomicFileWriter::open(const QString& target, const std::optional<FileIdentity>& original) {
    const Result<QByteArray> resolved = resolveLinks(nativePath(target));
    if (!resolved)
        return resolved.error();

    auto impl = std::make_unique<Impl>();
    impl->target = resolved.value();
    impl->original = original;

    struct stat existing;
    bool exists = true;
    if (::stat(impl->target.constData(), &existing) != 0) {
        if (errno != ENOENT)
            return errorFromErrno(errno);
        exists = false;
    }
    if (exists && !S_ISREG(existing.st_mode))
        return makeError(ErrorNumber::PathFileAccess);
    // A target that is gone (moved to its backup) is written anew with the original's
    // permissions; one that is there must still be the file that was read.
    if (exists && original && !sameAsRead(existing, *original))
        return changedOnDisk();

    QByteArray name = temporaryTemplate(impl->target);
    impl->fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (impl->fd < 0)
        return errorFromErrno(errno);
    impl->temporary = name;

    // Owner first: changing it clears set-user-ID and set-group-ID bits.
    const bool haveOwner = original || exists;
    const uid_t uid = original ? uid_t(original->uid) : existing.st_uid;
    const gid_t gid = original ? gid_t(original->gid) : existing.st_gid;
    if (haveOwner && (uid != ::geteuid() || gid != ::getegid())) {
        if (::fchown(impl->fd, uid, gid) != 0) {
            if (errno != EPERM)
                return impl->fail(errorFromErrno(errno));
            // Not allowed to give the file away; the group alone may still be ours to set.
            if (::fchown(impl->fd, uid_t(-1), gid) != 0 && errno != EPERM)
                return impl->fail(errorFromErrno(errno));
        }
    }
    const mode_t mode = original ? mode_t(original->mode)
                        : exists ? existing.st_mode
                                 : defaultFileMode();
    if (::fchmod(impl->fd, mode & 07777) != 0)
        return impl->fail(errorFromErrno(errno));

    std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter);
    writer->m_impl = std::move(impl);
    return writer;
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_impl)
        m_impl->discard();
}

Status AtomicFileWriter::write(const char* data, qsizetype size) {
    Impl& d = *m_impl;
    if (d.failed || d.committed || d.fd < 0)
        return makeError(ErrorNumber::PathFileAccess);
    while (size > 0) {
        const ssize_t written = ::write(d.fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return d.fail(errorFromErrno(errno));
        }
        if (written == 0)
            return d.fail(makeError(ErrorNumber::DeviceIo));
        data += written;
        size -= written;
    }
    return {};
}

Status AtomicFileWriter::commit(WriteJournal* journal) {
    Impl& d = *m_impl;
    if (d.failed || d.committed || d.fd < 0)
        return makeError(ErrorNumber::PathFileAccess);
    const int fd = d.fd;
    d.fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return d.fail(errorFromErrno(errno));

    // The file may have changed while the new bytes were being written.
    if (d.original) {
        struct stat st;
        if (::stat(d.target.constData(), &st) == 0 && !sameAsRead(st, *d.original))
            return d.fail(changedOnDisk());
    }
    if (::rename(d.temporary.constData(), d.target.constData()) != 0)
        return d.fail(errorFromErrno(errno));
    d.committed = true;
    d.temporary.clear();
    if (journal)
        journal->note(decodePath(d.target));
    return {};
}

Status writeFileAtomically(const QString& target, const QByteArray& bytes,
                           const std::optional<FileIdentity>& original, WriteJournal* journal) {
    auto writer = AtomicFileWriter::open(target, original);
    if (!writer)
        return writer.error();
    if (Status written = writer.value()->write(bytes); !written)
        return written;
    return writer.value()->commit(journal);
}

} // namespace zuk
