// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_folder.h"

#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"
#include "engine/files/posix_file.h"
#include "engine/journal/folder_at.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace zuk {

namespace {

constexpr char kRecord[] = "record";
constexpr char kCopies[] = "copies";
constexpr char kLinks[] = "links";
constexpr char kShared[] = ".shared";
constexpr char kGone[] = ".gone-";

QByteArray objectName(quint64 device, quint64 inode) {
    return QByteArray::number(device, 16) + '-' + QByteArray::number(inode, 16);
}

bool isRunName(const QByteArray& name) {
    return !name.isEmpty() && name.size() < 19 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<qint64> parseByteSize(QString text) {
    qint64 unit = 1;
    const QString units = QStringLiteral("KMG");
    if (const qsizetype at = units.indexOf(text.right(1).toUpper()); !text.isEmpty() && at >= 0) {
        unit = qint64(1) << (10 * (at + 1));
        text.chop(1);
    }
    bool number = false;
    const qint64 value = text.toLongLong(&number);
    if (!number || value < 0 || value > std::numeric_limits<qint64>::max() / unit)
        return std::nullopt;
    return value * unit;
}

JournalLimits journalLimitsOf(const QString& runs, const QString& size) {
    JournalLimits limits;
    bool number = false;
    if (const int given = runs.trimmed().toInt(&number); number && given >= 1)
        limits.maxRuns = given;
    if (const std::optional<qint64> given = parseByteSize(size.trimmed()))
        limits.maxCopiedBytes = *given;
    return limits;
}

qint64 copiedBytesOf(const RunRecord& record) {
    if (record.end)
        return record.end->copiedBytes;
    qint64 bytes = 0;
    for (const FileEntry& entry : record.entries) {
        if (entry.kept == KeptAs::Copy && !entry.abandoned)
            bytes += entry.old.size;
    }
    return bytes;
}

JournalFolder::JournalFolder(QString path, JournalLimits limits)
    : m_path(std::move(path)), m_limits(limits) {}

JournalFolder::~JournalFolder() {
    for (const int fd : {m_objectsFd, m_runsFd, m_fd}) {
        if (fd >= 0)
            ::close(fd);
    }
}

Status JournalFolder::open(bool create) {
    if (m_fd >= 0 && (m_runsFd >= 0 || !create))
        return {};
    const QByteArray path = encodePath(m_path);
    if (create) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return errorFromErrno(errno);
    }
    if (m_fd < 0) {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT && !create)
                return {};
            if (errno == ELOOP || errno == ENOTDIR)
                return pathFileAccessError(
                    QStringLiteral("the journal is a symbolic link or no folder"));
            return errorFromErrno(errno);
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
            ::close(fd);
            return pathFileAccessError(
                QStringLiteral("the journal folder belongs to another user"));
        }
        m_device = quint64(st.st_dev);
        if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
            const int error = errno;
            ::close(fd);
            return errorFromErrno(error);
        }
        m_fd = fd;
    }
    // The shared objects are only read: a journal without them never gets them.
    for (auto [name, fd, make] :
         {std::tuple{"runs", &m_runsFd, create}, std::tuple{"objects", &m_objectsFd, false}}) {
        if (*fd >= 0)
            continue;
        const Result<int> opened = privateFolderAt(m_fd, name, make);
        if (!opened)
            return opened.error();
        *fd = opened.value();
    }
    return {};
}

QList<qint64> JournalFolder::runIds() const {
    QList<qint64> ids;
    if (m_runsFd < 0)
        return ids;
    for (const QByteArray& name : namesIn(m_runsFd)) {
        if (isRunName(name))
            ids.append(name.toLongLong());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

int JournalFolder::openRunFolder(qint64 id) const {
    return m_runsFd < 0 ? -1 : openFolderAt(m_runsFd, QByteArray::number(id).constData());
}

Result<RunRecord> JournalFolder::readRecord(qint64 id) const {
    const int folder = openRunFolder(id);
    if (folder < 0)
        return makeError(ErrorNumber::FileNotFound);
    const Result<QByteArray> bytes = readFileAt(folder, kRecord);
    ::close(folder);
    if (!bytes)
        return bytes.error();
    return journal_record::parse(bytes.value());
}

Result<RunRecord> JournalFolder::readSummary(qint64 id) const {
    const int folder = openRunFolder(id);
    if (folder < 0)
        return makeError(ErrorNumber::FileNotFound);
    const int fd = ::openat(folder, kRecord, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    ::close(folder);
    if (fd < 0)
        return errorFromErrno(errno);
    // The header is the first line (its texts may be long); the end, if any, the last.
    QByteArray head;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    while (!head.contains('\n')) {
        const Result<qsizetype> got = readSome(fd, chunk.data(), chunk.size());
        if (!got || got.value() == 0)
            break;
        head.append(chunk.constData(), got.value());
    }
    struct stat st;
    std::optional<RunEnd> end;
    if (::fstat(fd, &st) == 0) {
        const qint64 from = std::max<qint64>(0, st.st_size - 4096);
        const ssize_t got = ::pread(fd, chunk.data(), size_t(st.st_size - from), off_t(from));
        if (got > 0)
            end = journal_record::endOf(chunk.first(got));
    }
    ::close(fd);
    if (!end)
        return readRecord(id);
    Result<RunRecord> record = journal_record::parse(head.left(head.indexOf('\n') + 1));
    if (record)
        record.value().end = end;
    return record;
}

bool JournalFolder::isActive(qint64 id) const {
    const int folder = openRunFolder(id);
    if (folder < 0)
        return false;
    const int fd = ::openat(folder, kRecord, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    ::close(folder);
    if (fd < 0)
        return false;
    const bool active = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return active;
}

Result<JournalFolder::OpenRun> JournalFolder::createRun(RunHeader header) {
    if (Status opened = open(true); !opened)
        return opened.error();
    const QList<qint64> ids = runIds();
    OpenRun run;
    run.id = ids.isEmpty() ? 1 : ids.last() + 1;
    for (;; ++run.id) {
        if (::mkdirat(m_runsFd, QByteArray::number(run.id).constData(), 0700) == 0)
            break;
        if (errno != EEXIST)
            return errorFromErrno(errno);
    }
    run.folderFd = openRunFolder(run.id);
    if (run.folderFd < 0)
        return errorFromErrno(errno);
    run.recordFd = ::openat(run.folderFd, kRecord,
                            O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    Status written = run.recordFd >= 0 ? Status() : Status(errorFromErrno(errno));
    if (written)
        ::flock(run.recordFd, LOCK_EX);
    header.id = run.id;
    if (written)
        written = writeAll(run.recordFd, journal_record::headerLine(header));
    if (written &&
        (::fdatasync(run.recordFd) != 0 || ::fsync(run.folderFd) != 0 || ::fsync(m_runsFd) != 0))
        written = errorFromErrno(errno);
    if (!written) {
        for (const int fd : {run.recordFd, run.folderFd}) {
            if (fd >= 0)
                ::close(fd);
        }
        removeTreeAt(m_runsFd, QByteArray::number(run.id));
        return written.error();
    }
    return run;
}

Result<JournalFolder::OpenRun> JournalFolder::reopenRun(qint64 id) {
    OpenRun run;
    run.id = id;
    run.folderFd = openRunFolder(id);
    if (run.folderFd < 0)
        return makeError(ErrorNumber::FileNotFound);
    run.recordFd = ::openat(run.folderFd, kRecord, O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    Error failure;
    if (run.recordFd < 0) {
        failure = errorFromErrno(errno);
    } else if (::flock(run.recordFd, LOCK_EX | LOCK_NB) != 0) {
        failure = pathFileAccessError(QStringLiteral("the run is being recorded"));
    } else {
        const Result<QByteArray> bytes = readAll(run.recordFd);
        const Result<RunRecord> record =
            bytes ? journal_record::parse(bytes.value()) : Result<RunRecord>(bytes.error());
        if (!record)
            failure = record.error();
        else if (::ftruncate(run.recordFd, off_t(record.value().wholeLength)) != 0)
            failure = errorFromErrno(errno);
    }
    if (failure.number != 0) {
        for (const int fd : {run.recordFd, run.folderFd}) {
            if (fd >= 0)
                ::close(fd);
        }
        return failure;
    }
    return run;
}

void JournalFolder::settle(const OpenRun& run, const RunRecord& record) {
    int copies = -1;
    for (const FileEntry& entry : record.entries) {
        if (entry.written || entry.abandoned)
            continue;
        // Still the old file under its name: the rename never happened.
        struct stat now;
        if (::lstat(entry.name.constData(), &now) != 0 || !sameAsRead(now, entry.old))
            continue;
        struct stat marker;
        if (entry.kept == KeptAs::RunLink) {
            const QByteArray link = QByteArray(kLinks) + '/' + entry.keptName;
            ::unlinkat(run.folderFd, link.constData(), 0);
        } else if (entry.kept == KeptAs::Link &&
                   ::fstatat(m_objectsFd, (entry.keptName + kShared).constData(), &marker,
                             AT_SYMLINK_NOFOLLOW) != 0) {
            dropObject(entry.keptName); // an object another run names stays
        } else if (entry.kept == KeptAs::Copy) {
            if (copies < 0)
                copies = openFolderAt(run.folderFd, kCopies);
            ::unlinkat(copies, entry.keptName.constData(), 0);
        }
        (void)writeAll(run.recordFd, journal_record::abandonedLine(entry.number));
    }
    if (copies >= 0)
        ::close(copies);
}

void JournalFolder::settleCutShort(qint64 id) {
    const Result<OpenRun> run = reopenRun(id);
    if (!run)
        return;
    if (const Result<RunRecord> record = readRecord(id))
        settle(run.value(), record.value());
    ::close(run.value().recordFd);
    ::close(run.value().folderFd);
}

Result<int> JournalFolder::openLock() {
    if (Status opened = open(true); !opened)
        return opened.error();
    const int fd = ::openat(m_fd, "lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errorFromErrno(errno);
    return fd;
}

QByteArray JournalFolder::linkName(quint64 device, quint64 inode) {
    return objectName(device, inode);
}

bool JournalFolder::canLink(const FileIdentity& old) const {
    // A file on another file system is copied.
    return !m_forceCopies && old.device == m_device;
}

void JournalFolder::dropObject(const QByteArray& object) {
    ::unlinkat(m_objectsFd, object.constData(), 0);
}

bool JournalFolder::keepsFile(quint64 device, quint64 inode) const {
    const QByteArray name = objectName(device, inode);
    const auto isFile = [&](int folder, const QByteArray& path) {
        struct stat st;
        return ::fstatat(folder, path.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               quint64(st.st_ino) == inode && quint64(st.st_dev) == device;
    };
    if (m_objectsFd >= 0 && isFile(m_objectsFd, name))
        return true;
    for (const qint64 id : runIds()) {
        if (isFile(m_runsFd, QByteArray::number(id) + '/' + kLinks + '/' + name))
            return true;
    }
    return false;
}

Result<int> JournalFolder::openKept(qint64 id, KeptAs kept, const QByteArray& keptName) const {
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = -1;
    if (kept == KeptAs::Link && m_objectsFd >= 0) {
        fd = ::openat(m_objectsFd, keptName.constData(), flags);
    } else if (kept == KeptAs::RunLink || kept == KeptAs::Copy) {
        const int folder = openRunFolder(id);
        const int copies =
            folder < 0 ? -1 : openFolderAt(folder, kept == KeptAs::Copy ? kCopies : kLinks);
        fd = copies < 0 ? -1 : ::openat(copies, keptName.constData(), flags);
        for (const int opened : {copies, folder}) {
            if (opened >= 0)
                ::close(opened);
        }
    } else {
        return makeError(ErrorNumber::FileNotFound);
    }
    if (fd < 0)
        return errorFromErrno(errno == 0 ? ENOENT : errno);
    return fd;
}

Status JournalFolder::removeRun(qint64 id, QList<QByteArray>* gone) {
    const QByteArray name = QByteArray::number(id);
    const QByteArray moved = kGone + name;
    if (::renameat(m_runsFd, name.constData(), m_runsFd, moved.constData()) != 0)
        return errorFromErrno(errno);
    if (gone)
        gone->append(moved);
    else
        removeTreeAt(m_runsFd, moved);
    return {};
}

qint64 JournalFolder::copiedBytes(qint64 exclude) const {
    qint64 bytes = 0;
    for (const qint64 id : runIds()) {
        if (id == exclude)
            continue;
        if (const Result<RunRecord> summary = readSummary(id))
            bytes += copiedBytesOf(summary.value());
    }
    return bytes;
}

Result<qint64> JournalFolder::prune(const QList<qint64>& spared, int keepRuns, qint64 keepBytes,
                                    QList<QByteArray>* gone) {
    if (Status opened = open(true); !opened)
        return opened.error();
    for (const QByteArray& name : namesIn(m_runsFd)) {
        if (name.startsWith(kGone)) // a removal a kill cut short
            removeTreeAt(m_runsFd, name);
    }
    struct Kept {
        qint64 id;
        qint64 bytes;
        bool ended;
    };
    QList<Kept> runs;
    qint64 total = 0;
    const QList<qint64> ids = runIds();
    for (const qint64 id : ids) {
        const Result<RunRecord> summary = readSummary(id);
        if (summary && !summary.value().end && !isActive(id))
            settleCutShort(id);
        if (spared.contains(id))
            continue;
        if (!summary) {
            // A run killed before its first line: nothing to take back.
            if (id != ids.last() && !isActive(id))
                removeTreeAt(m_runsFd, QByteArray::number(id));
            continue;
        }
        runs.append({id, copiedBytesOf(summary.value()), summary.value().end.has_value()});
        total += runs.last().bytes;
    }
    QList<QByteArray> candidates;
    bool everything = false;
    qsizetype count = runs.size();
    for (const Kept& run : std::as_const(runs)) {
        if (count <= std::max(keepRuns, 0) && total <= keepBytes)
            break;
        if (run.id == ids.last() || isActive(run.id))
            continue;
        // A run's own links go with its folder; only the shared objects are looked for.
        if (m_objectsFd >= 0) {
            if (const Result<RunRecord> record = readRecord(run.id)) {
                for (const FileEntry& entry : record.value().entries) {
                    if (entry.kept == KeptAs::Link)
                        candidates.append(entry.keptName);
                }
            }
            // A run cut short may have left a link its record doesn't name.
            everything = everything || !run.ended;
        }
        if (Status removed = removeRun(run.id, gone); !removed)
            return removed.error();
        --count;
        total -= run.bytes;
    }
    if (!candidates.isEmpty() || everything)
        sweepObjects(candidates, everything);
    return total;
}

void JournalFolder::sweepObjects(const QList<QByteArray>& candidates, bool everything) {
    std::optional<QSet<QByteArray>> named; // every object a run kept names, read when needed
    const auto isNamed = [&](const QByteArray& object) {
        if (!named) {
            named.emplace();
            for (const qint64 id : runIds()) {
                const Result<RunRecord> record = readRecord(id);
                if (!record) // unreadable: better keep its objects than lose them
                    continue;
                for (const FileEntry& entry : record.value().entries) {
                    if (entry.kept == KeptAs::Link)
                        named->insert(entry.keptName);
                }
            }
        }
        return named->contains(object);
    };
    QList<QByteArray> objects = candidates;
    if (everything) {
        objects.clear();
        for (const QByteArray& name : namesIn(m_objectsFd)) {
            if (!name.endsWith(kShared))
                objects.append(name);
        }
    }
    for (const QByteArray& object : std::as_const(objects)) {
        const QByteArray marker = object + kShared;
        struct stat st;
        const bool shared =
            ::fstatat(m_objectsFd, marker.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if ((shared || everything) && isNamed(object))
            continue;
        ::unlinkat(m_objectsFd, object.constData(), 0);
        if (shared)
            ::unlinkat(m_objectsFd, marker.constData(), 0);
    }
    // The last shared object gone, later prunes needn't read a record to find them.
    if (namesIn(m_objectsFd).isEmpty() && ::unlinkat(m_fd, "objects", AT_REMOVEDIR) == 0) {
        ::close(m_objectsFd);
        m_objectsFd = -1;
    }
}

} // namespace zuk
