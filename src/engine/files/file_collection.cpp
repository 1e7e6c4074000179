// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_collection.h"

#include "engine/files/atomic_file.h"
#include "engine/files/path_bytes.h"
#include "engine/files/temporary_file.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <vector>

namespace zuk {

namespace {

bool isHidden(const char* name) {
    return name[0] == '.';
}

// An open directory listing, closed on every way out.
class Listing {
public:
    explicit Listing(const QString& directory)
        : m_dir(::opendir(encodePath(directory).constData())), m_openError(errno) {}
    ~Listing() {
        if (m_dir)
            ::closedir(m_dir);
    }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    Status opened() const { return m_dir ? Status() : Status(errorFromErrno(m_openError)); }
    int fd() const { return ::dirfd(m_dir); }
    // The next entry, or null at the end or on a failure (see failed()).
    const dirent* next() {
        errno = 0;
        const dirent* entry = ::readdir(m_dir);
        m_readError = entry ? 0 : errno;
        return entry;
    }
    Status finished() const { return m_readError ? Status(errorFromErrno(m_readError)) : Status(); }

private:
    DIR* m_dir;
    int m_openError;
    int m_readError = 0;
};

// What a listed entry is, told from the listing's type where it gives one.
enum class EntryKind { Directory, PlainFile, Other };

// `st` holds the entry's own status when the listing gave no type, and is filled here.
EntryKind kindOf(int directoryFd, const dirent* entry, unsigned char type, struct stat& st) {
    if (type == DT_UNKNOWN)
        type = S_ISDIR(st.st_mode)   ? DT_DIR
               : S_ISREG(st.st_mode) ? DT_REG
               : S_ISLNK(st.st_mode) ? DT_LNK
                                     : DT_UNKNOWN;
    // A symbolic link is never a directory here, so nothing is reached through one; a link
    // that leads to a regular file is a plain file, a dangling or looping one is nothing.
    if (type == DT_DIR)
        return EntryKind::Directory;
    if (type == DT_REG)
        return EntryKind::PlainFile;
    if (type == DT_LNK && ::fstatat(directoryFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
        return EntryKind::PlainFile;
    return EntryKind::Other;
}

// What the scan of one directory found.
struct Scan {
    QStringList subdirectories;
    DirectoryFiles files; // its plain files, when they were asked for
    bool keptFiles = false;
    Status status;         // the directory could not be read: nothing found in it counts
    bool overflow = false; // more sub-directories than a list holds: the walk ends
};

Scan scanDirectory(const QString& directory, bool keepFiles, const FileFilter* filter) {
    Scan scan;
    scan.keptFiles = keepFiles;
    Listing listing(directory);
    if (scan.status = listing.opened(); !scan.status)
        return scan;
    const QString prefix = directory + QLatin1Char('/');
    while (const dirent* entry = listing.next()) {
        if (isHidden(entry->d_name)) {
            scan.files.temporaries = scan.files.temporaries || isTemporaryFileName(entry->d_name);
            continue; // also "." and ".."
        }
        struct stat st;
        if (entry->d_type == DT_UNKNOWN &&
            ::fstatat(listing.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            scan.status = errorFromErrno(errno);
            return scan;
        }
        if (entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && S_ISDIR(st.st_mode))) {
            // The list holds the start directory too, so this many can't fit.
            if (scan.subdirectories.size() >= kMaxDirectories) {
                scan.overflow = true;
                return scan;
            }
            const QString name = decodePath(QByteArray(entry->d_name));
            if (!filter || filter->entersFolder(directory, name))
                scan.subdirectories.append(prefix + name);
        } else if (keepFiles &&
                   kindOf(listing.fd(), entry, entry->d_type, st) == EntryKind::PlainFile) {
            scan.files.names.append(decodePath(QByteArray(entry->d_name)));
        }
    }
    scan.status = listing.finished();
    return scan;
}

// Scans directories [first, last) of `directories`, on two threads where there are enough of
// them: reading a directory is mostly the kernel's work, which the cores share. The names of
// plain files are kept while fewer than `namesToKeep` have been taken. A directory that can't
// be read doesn't stop the others; an overflow does.
std::vector<Scan> scanLevel(const QStringList& directories, qsizetype first, qsizetype last,
                            qsizetype namesToKeep, int threads, const FileFilter* filter,
                            const std::atomic<bool>* ended) {
    std::vector<Scan> scans(size_t(last - first));
    std::atomic<qsizetype> claimed{first};
    std::atomic<qsizetype> namesTaken{0};
    std::atomic<bool> stop{false};
    std::exception_ptr thrown;
    const auto work = [&](std::exception_ptr& caught) {
        try {
            // Every directory before an overflow is scanned, since each takes the next one.
            for (qsizetype i; !stop && !(ended && *ended) && (i = claimed.fetch_add(1)) < last;) {
                Scan& scan = scans[size_t(i - first)];
                scan = scanDirectory(directories.at(i), namesTaken.load() < namesToKeep, filter);
                namesTaken += scan.files.names.size();
                if (scan.overflow)
                    stop = true;
            }
        } catch (...) {
            stop = true;
            caught = std::current_exception();
        }
    };
    constexpr qsizetype kEnoughForTwo = 4;
    // Asked once: the answer is read from the system's files each time.
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    const bool two = threads == 0 ? severalCores : threads > 1;
    std::exception_ptr helperThrew;
    std::optional<std::thread> helper;
    try {
        if (last - first >= kEnoughForTwo && two)
            helper.emplace(work, std::ref(helperThrew));
    } catch (const std::system_error&) {
        // No thread to be had (a limit of the system's): this one reads them all.
    }
    work(thrown);
    if (helper) {
        helper->join();
        if (!thrown)
            thrown = helperThrew;
    }
    if (thrown)
        std::rethrow_exception(thrown);
    return scans;
}

// A listed entry that is a plain file: a regular file, or a link that leads to one.
Result<bool> isPlainFile(int directoryFd, const dirent* entry) {
    struct stat st;
    if (entry->d_type == DT_UNKNOWN &&
        ::fstatat(directoryFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Result<bool>(false) : Result<bool>(errorFromErrno(errno));
    return kindOf(directoryFd, entry, entry->d_type, st) == EntryKind::PlainFile;
}

} // namespace

QString DirectoryList::tooManyDirectoriesText(const QString& startDirectory) {
    return QStringLiteral("Too many directories: there are more than %1 directories in and "
                          "below \"%2\". Nothing was changed; choose a smaller directory.")
        .arg(kMaxDirectories)
        .arg(displayPath(startDirectory));
}

DirectoryList CollectDirectories(const QString& startDirectory, CheckValue subDirectories,
                                 qsizetype fileNamesToKeep, int threads, const FileFilter* filter,
                                 const WalkWatch* watch) {
    DirectoryList result;
    result.directories.append(startDirectory);
    if (subDirectories != Checked)
        return result;

    // Level by level: each pass scans the entries the previous pass appended, and takes what it
    // found in the list's order, so the names kept belong to the list's first directories.
    qsizetype next = 0;
    qsizetype namesKept = 0;
    for (;;) {
        const qsizetype last = result.directories.size();
        const std::atomic<bool>* ended = watch ? watch->stop : nullptr;
        std::vector<Scan> scans = scanLevel(result.directories, next, last,
                                            fileNamesToKeep - namesKept, threads, filter, ended);
        if (ended && *ended)
            return result;
        bool found = false;
        for (qsizetype i = next; i < last; ++i) {
            Scan& scan = scans[size_t(i - next)];
            // Passed over with what is below it; the caller names it when it gets there.
            if (!scan.status) {
                result.unreadable.insert(i, scan.status.error());
                scan.subdirectories.clear();
                scan.files = {};
            }
            if (scan.overflow ||
                result.directories.size() + scan.subdirectories.size() > kMaxDirectories) {
                result.directories.clear();
                result.files.clear();
                result.unreadable.clear();
                result.tooManyDirectories = true;
                return result;
            }
            found = found || !scan.subdirectories.isEmpty();
            result.directories.append(std::move(scan.subdirectories));
            if (scan.keptFiles && result.files.size() == i && namesKept < fileNamesToKeep) {
                namesKept += scan.files.names.size();
                result.files.append(std::move(scan.files));
            }
        }
        if (watch && watch->levelAdded)
            watch->levelAdded(result);
        if (!found)
            return result;
        next = last;
    }
}

Result<DirectoryFiles> DirectoryList::filesOf(qsizetype index) const {
    if (const auto failed = unreadable.constFind(index); failed != unreadable.cend())
        return *failed;
    if (index < files.size())
        return files.at(index);
    return ListDirectoryFiles(directories.at(index));
}

Result<DirectoryFiles> ListDirectoryFiles(const QString& directory) {
    Listing listing(directory);
    if (Status opened = listing.opened(); !opened)
        return opened.error();
    DirectoryFiles files;
    while (const dirent* entry = listing.next()) {
        if (isHidden(entry->d_name)) {
            files.temporaries = files.temporaries || isTemporaryFileName(entry->d_name);
            continue;
        }
        Result<bool> plain = isPlainFile(listing.fd(), entry);
        if (!plain)
            return plain.error();
        if (plain.value())
            files.names.append(decodePath(QByteArray(entry->d_name)));
    }
    if (Status done = listing.finished(); !done)
        return done.error();
    return files;
}

} // namespace zuk
