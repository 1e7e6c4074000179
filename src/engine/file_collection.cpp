#include "engine/file_collection.h"

#include "engine/path_bytes.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace zuk {

namespace {

// The number a 16-bit position gave when the list grew past its limit.
const Error kOverflow{6, QStringLiteral("Overflow")};

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

// Appends the sub-directories of `directory` to `list`. True when it appended any.
Result<bool> ScanSubdirectories(const QString& directory, QStringList& list) {
    Listing listing(directory);
    if (Status opened = listing.opened(); !opened)
        return opened.error();
    const QString prefix = directory + QLatin1Char('/');
    bool found = false;
    while (const dirent* entry = listing.next()) {
        if (isHidden(entry->d_name))
            continue; // also "." and ".."
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(listing.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return errorFromErrno(errno);
            isDirectory = S_ISDIR(st.st_mode);
        }
        // A symbolic link is never a directory here, so nothing is reached through one.
        if (!isDirectory)
            continue;
        if (list.size() >= kMaxDirectories)
            return kOverflow;
        list.append(prefix + decodePath(QByteArray(entry->d_name)));
        found = true;
    }
    if (Status done = listing.finished(); !done)
        return done.error();
    return found;
}

// A listed entry that is a plain file: a regular file, or a link that leads to one.
Result<bool> isPlainFile(int directoryFd, const dirent* entry) {
    unsigned char type = entry->d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (::fstatat(directoryFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? Result<bool>(false) : Result<bool>(errorFromErrno(errno));
        if (S_ISREG(st.st_mode))
            return true;
        type = S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
    }
    if (type == DT_REG)
        return true;
    if (type != DT_LNK)
        return false;
    // A dangling or looping link is no file to work on.
    return ::fstatat(directoryFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

QString DirectoryList::tooManyDirectoriesText(const QString& startDirectory) {
    return QStringLiteral("Too many directories: there are more than %1 directories in and "
                          "below \"%2\". Nothing was changed; choose a smaller directory.")
        .arg(kMaxDirectories)
        .arg(displayPath(startDirectory));
}

DirectoryList CollectDirectories(const QString& startDirectory, CheckValue subDirectories) {
    DirectoryList result;
    result.directories.append(startDirectory);
    if (subDirectories != Checked)
        return result;

    // Level by level: each pass scans the entries the previous pass appended.
    qsizetype next = 0;
    for (;;) {
        const qsizetype last = result.directories.size();
        bool found = false;
        for (qsizetype i = next; i < last; ++i) {
            Result<bool> scanned = ScanSubdirectories(result.directories.at(i), result.directories);
            if (!scanned) {
                if (scanned.error() == kOverflow) {
                    result.directories.clear();
                    result.tooManyDirectories = true;
                }
                result.status = scanned.error();
                return result;
            }
            found = found || scanned.value();
        }
        if (!found)
            return result;
        next = last;
    }
}

Result<QStringList> ListDirectoryFiles(const QString& directory) {
    Listing listing(directory);
    if (Status opened = listing.opened(); !opened)
        return opened.error();
    QStringList names;
    while (const dirent* entry = listing.next()) {
        if (isHidden(entry->d_name))
            continue;
        Result<bool> plain = isPlainFile(listing.fd(), entry);
        if (!plain)
            return plain.error();
        if (plain.value())
            names.append(decodePath(QByteArray(entry->d_name)));
    }
    if (Status done = listing.finished(); !done)
        return done.error();
    return names;
}

} // namespace zuk
