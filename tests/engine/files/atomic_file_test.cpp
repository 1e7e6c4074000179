// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/atomic_file.h"
#include "engine/files/file_identity.h"
#include "engine/files/temporary_file.h"

#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zuk {
namespace {

using test::readBytes;
using test::writeBytes;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

quint32 modeOf(const QString& path) {
    struct stat st;
    EXPECT_EQ(::stat(native(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

// Runs `body` in a forked child and gives its exit code; used where the test needs another
// user or other limits than the test process.
int runInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

class AtomicFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(AtomicFileTest, ReplacesContentAndKeepsPermissions) {
    for (quint32 mode : {0640u, 0755u}) {
        const QString target = path(QStringLiteral("file.txt"));
        writeBytes(target, "old content that is longer");
        ASSERT_EQ(::chmod(native(target).constData(), mode), 0);
        const auto loaded = readWholeFile(target);
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(loaded.value().bytes, "old content that is longer");

        ASSERT_TRUE(writeFileAtomically(target, "new", loaded.value().identity).ok());
        EXPECT_EQ(readBytes(target), "new");
        EXPECT_EQ(modeOf(target), mode);
        EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"file.txt"});

        // Without the identity the existing file's own permissions are kept.
        ASSERT_TRUE(writeFileAtomically(target, "newer").ok());
        EXPECT_EQ(readBytes(target), "newer");
        EXPECT_EQ(modeOf(target), mode);
    }
}

TEST_F(AtomicFileTest, NewFileGetsTheDefaultPermissions) {
    const mode_t previous = ::umask(027);
    const Status created = writeFileAtomically(path(QStringLiteral("b.txt")), "z");
    ::umask(previous);
    ASSERT_TRUE(created.ok());
    EXPECT_EQ(modeOf(path(QStringLiteral("b.txt"))), 0640u);
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"b.txt"}));
}

TEST_F(AtomicFileTest, WritesAFileWithTheLongestPossibleName) {
    // 2-byte characters, so a shortened temporary name must cut between characters.
    const QString name = QString(127, QChar(0x00E9)) + QStringLiteral("x");
    const QString target = path(name);
    writeBytes(target, "old");
    ASSERT_TRUE(writeFileAtomically(target, "new").ok());
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{name});
}

TEST_F(AtomicFileTest, KeepsOwnerAndGroupWherePermitted) {
    const QString target = path(QStringLiteral("owned.txt"));
    writeBytes(target, "x");
    if (::chown(native(target).constData(), 65534, 65534) != 0)
        GTEST_SKIP() << "cannot give a file away as this user";
    ASSERT_TRUE(writeFileAtomically(target, "y", identifyFile(target).value()).ok());
    const FileIdentity written = identifyFile(target).value();
    EXPECT_EQ(written.uid, 65534u);
    EXPECT_EQ(written.gid, 65534u);
}

TEST_F(AtomicFileTest, WritesTheDestinationOfASymbolicLink) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("real")));
    const QString real = path(QStringLiteral("real/data.txt"));
    writeBytes(real, "before");
    const QString link = path(QStringLiteral("link.txt"));
    ASSERT_EQ(::symlink("real/data.txt", native(link).constData()), 0);
    const QString linkToLink = path(QStringLiteral("link2.txt"));
    ASSERT_EQ(::symlink("link.txt", native(linkToLink).constData()), 0);

    const auto loaded = readWholeFile(linkToLink);
    ASSERT_TRUE(loaded.ok());
    WriteTracker writes;
    ASSERT_TRUE(writeFileAtomically(linkToLink, "after", loaded.value().identity, &writes).ok());

    EXPECT_EQ(readBytes(real), "after");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(linkToLink).isSymLink());
    EXPECT_EQ(entriesOf(path(QStringLiteral("real"))), QStringList{"data.txt"});
    EXPECT_FALSE(writes.isEmpty());
    EXPECT_TRUE(writes.syncAll().ok());
    EXPECT_TRUE(writes.isEmpty());
}

TEST_F(AtomicFileTest, RefusesAFileThatChangedOnDisk) {
    const QString target = path(QStringLiteral("f.txt"));
    writeBytes(target, "12345");
    const FileIdentity identity = identifyFile(target).value();

    const auto expectRefused = [&](const Status& status, const QByteArray& onDisk) {
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().number, ErrorNumber::PathFileAccess);
        EXPECT_TRUE(status.error().description.contains(QStringLiteral("changed")));
        EXPECT_EQ(readBytes(target), onDisk);
        EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"f.txt"});
    };

    // Same size, other time.
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native(target).constData(), times, 0), 0);
    expectRefused(writeFileAtomically(target, "new", identity), "12345");

    // Other size, same time.
    const FileIdentity touched = identifyFile(target).value();
    writeBytes(target, "123456");
    ASSERT_EQ(::utimensat(AT_FDCWD, native(target).constData(), times, 0), 0);
    expectRefused(writeFileAtomically(target, "new", touched), "123456");

    // Changed while the new bytes were being written.
    const FileIdentity current = identifyFile(target).value();
    auto writer = AtomicFileWriter::open(target, current);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->write("new").ok());
    writeBytes(target, "other writer");
    expectRefused(writer.value()->commit(), "other writer");
}

TEST_F(AtomicFileTest, UncommittedWriterLeavesTargetAndNoTemporaryFile) {
    const QString target = path(QStringLiteral("keep.txt"));
    writeBytes(target, "keep");
    for (bool named : {false, true}) {
        forceNamedTemporaryFiles(named);
        {
            auto writer = AtomicFileWriter::open(target);
            ASSERT_TRUE(writer.ok());
            ASSERT_TRUE(writer.value()->write("partial").ok());
            if (named) {
                EXPECT_EQ(entriesOf(m_dir.path()).size(), 2);
            }
        }
        forceNamedTemporaryFiles(false);
        EXPECT_EQ(readBytes(target), "keep");
        EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"keep.txt"});
    }
}

// The hook before the rename may ask for the old file to be kept at a place of its own; the
// new file is exchanged with it there, or renamed as usual where that is refused. A new file
// created at that place from the start ("born") is exchanged without being named there, and is
// brought beside the target (moved, or copied across file systems) where the hook takes
// another course or the exchange is refused.
TEST_F(AtomicFileTest, TheOldFileStaysAtThePlaceAskedForOrTheRenameIsPlain) {
    struct stat shm;
    struct stat own;
    const bool otherSystem = ::stat("/dev/shm", &shm) == 0 &&
                             ::stat(native(m_dir.path()).constData(), &own) == 0 &&
                             shm.st_dev != own.st_dev;
    std::optional<QTemporaryDir> elsewhere;
    if (otherSystem)
        elsewhere.emplace(QStringLiteral("/dev/shm/zuk-place-XXXXXX"));
    struct Case {
        const char* what;
        QString folder;     // of the place
        QByteArray taken;   // what the place holds before, if anything
        bool named = false; // a named temporary file
        bool removeTarget = false;
        bool exchanged;
        bool committed;
        bool born = false;  // the new file created at the place
        bool takes = true;  // the hook fills the place it is offered
        bool twice = false; // the hook is called again after a refusal
    };
    QDir(m_dir.path()).mkdir(QStringLiteral("keep"));
    const QString keep = path(QStringLiteral("keep"));
    QList<Case> cases = {
        {"a free place", keep, {}, false, false, true, true},
        {"a place already taken", keep, "other", false, false, false, true},
        {"a named temporary file", keep, {}, true, false, false, true},
        {"the target gone before the exchange", keep, {}, false, true, false, false},
        {"born at a free place", keep, {}, false, false, true, true, true},
        {"born there, the hook keeping it otherwise",
         keep,
         {},
         false,
         false,
         false,
         true,
         true,
         false},
        {"born there, the target gone", keep, {}, false, true, false, false, true},
        {"born where the place is taken", keep, "other", false, false, false, true, true, true,
         true},
    };
    if (elsewhere) {
        cases.append({"another file system", elsewhere->path(), {}, false, false, false, true});
        cases.append({"born on another file system",
                      elsewhere->path(),
                      {},
                      false,
                      false,
                      false,
                      true,
                      true,
                      true,
                      true});
    }
    const QString target = path(QStringLiteral("t.txt"));
    // Where files take their label from their folder, none is created away from its own.
    const bool labelled = ::access("/sys/fs/selinux", F_OK) == 0;
    for (const Case& c : std::as_const(cases)) {
        if (c.born && labelled)
            continue;
        const QString place = c.folder + QStringLiteral("/old");
        QFile::remove(place);
        if (!c.taken.isEmpty())
            writeBytes(place, c.taken);
        writeBytes(target, "old bytes");
        ASSERT_EQ(::chmod(native(target).constData(), 0640), 0);
        struct stat before;
        ASSERT_EQ(::stat(native(target).constData(), &before), 0);
        forceNamedTemporaryFiles(c.named);
        const int folder = ::open(native(c.folder).constData(), O_RDONLY | O_DIRECTORY);
        QList<bool> offered;
        bool bornThere = false;
        const NewFilePlace born = [&](const FileIdentity&) {
            return std::optional<KeepPlace>(KeepPlace{folder, "old"});
        };
        auto writer = c.born
                          ? AtomicFileWriter::open(target, identifyFile(target).value(), {}, born)
                          : AtomicFileWriter::open(target);
        ASSERT_TRUE(writer.ok());
        writer.value()->setBeforeRename([&](const QByteArray&, bool, KeepPlace* place) {
            offered.append(place != nullptr);
            if (c.removeTarget)
                QFile::remove(target);
            if (place && c.takes)
                *place = {folder, "old"};
            return Status();
        });
        if (c.born && c.taken.isEmpty())
            bornThere = entriesOf(c.folder) == QStringList{"old"};
        ASSERT_TRUE(writer.value()->write("new bytes").ok());
        const Status committed = writer.value()->commit();
        forceNamedTemporaryFiles(false);
        ::close(folder);

        EXPECT_EQ(committed.ok(), c.committed) << c.what;
        const bool again = c.born ? c.twice : !c.named && !c.exchanged && c.committed;
        EXPECT_EQ(offered, c.named ? QList<bool>{false}
                           : again ? (QList<bool>{true, false})
                                   : QList<bool>{true})
            << c.what;
        EXPECT_EQ(bornThere, c.born && c.taken.isEmpty()) << c.what;
        if (c.committed) {
            EXPECT_EQ(readBytes(target), "new bytes") << c.what;
            EXPECT_EQ(modeOf(target), 0640u) << c.what;
        }
        struct stat kept;
        const bool held = ::stat(native(place).constData(), &kept) == 0;
        if (c.exchanged) {
            EXPECT_TRUE(held && kept.st_ino == before.st_ino) << c.what;
            EXPECT_EQ(readBytes(place), "old bytes") << c.what;
        } else {
            EXPECT_EQ(held, !c.taken.isEmpty()) << c.what;
        }
        // No temporary file stays, beside the target or at the place.
        QStringList left = entriesOf(m_dir.path());
        left.removeAll(QStringLiteral("keep"));
        left.removeAll(QStringLiteral("t.txt"));
        EXPECT_EQ(left, QStringList{}) << c.what;
        EXPECT_EQ(entriesOf(c.folder).size(), held ? 1 : 0) << c.what;
    }
}

TEST_F(AtomicFileTest, AFailingWriteIsReportedAndCleanedUp) {
    // A file size limit makes the kernel refuse the write part way (EFBIG), as a full disk
    // would; it is set in a child so the test process keeps its own limits.
    const QString target = path(QStringLiteral("big.txt"));
    writeBytes(target, "original");
    const int code = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        const Status status = writeFileAtomically(target, QByteArray(65536, 'x'));
        if (status.ok())
            return 11;
        return status.error().number == ErrorNumber::DiskFull ? 0 : 12;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(target), "original");
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"big.txt"});
}

TEST_F(AtomicFileTest, PermissionDeniedForAnotherUser) {
    // Root writes anywhere, so the denied part runs as nobody.
    ASSERT_EQ(::chmod(native(m_dir.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
    const QString locked = path(QStringLiteral("locked"));
    const QString target = path(QStringLiteral("locked/f.txt"));
    const QString secret = path(QStringLiteral("locked/secret.txt"));
    writeBytes(target, "original");
    writeBytes(secret, "secret");
    ASSERT_EQ(::chmod(native(secret).constData(), 0600), 0);
    ASSERT_EQ(::chmod(native(locked).constData(), 0555), 0);

    const int code = runInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        if (!readWholeFile(target).ok())
            return 11;
        const auto denied = readWholeFile(secret);
        if (denied.ok() || denied.error().number != ErrorNumber::PermissionDenied)
            return 12;
        const Status status = writeFileAtomically(target, "new");
        if (status.ok() || status.error().number != ErrorNumber::PermissionDenied)
            return 13;
        return 0;
    });
    ::chmod(native(locked).constData(), 0755);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(target), "original");
    EXPECT_EQ(entriesOf(locked), (QStringList{"f.txt", "secret.txt"}));
}

TEST_F(AtomicFileTest, ReadWholeFileRefusesWhatIsNotAFileAndSaysWhy) {
    // A FIFO would block a plain open until someone writes to it.
    const QString fifo = path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(native(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        QString message;
    } refused[] = {
        {path(QStringLiteral("missing.txt")), "ERROR: 53 File not found"},
        {m_dir.path(), "ERROR: 75 Path/File access error (is a directory)"},
        {fifo, "ERROR: 75 Path/File access error (not a regular file)"},
        {path(QString(300, u'n')), "ERROR: 75 Path/File access error (name too long)"},
    };
    for (const auto& r : refused) {
        const auto read = readWholeFile(r.path);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().message(), r.message);
    }
    EXPECT_FALSE(writeFileAtomically(fifo, "x").ok());

    // A file that became a folder while its new text was written.
    const QString became = path(QStringLiteral("became.txt"));
    writeBytes(became, "old");
    auto writer = AtomicFileWriter::open(became);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->write("new").ok());
    ASSERT_TRUE(QFile::remove(became) && QDir().mkdir(became));
    EXPECT_EQ(writer.value()->commit().error().message(),
              "ERROR: 75 Path/File access error (is a directory)");

    const QString file = path(QStringLiteral("f.bin"));
    writeBytes(file, QByteArray("\x00\xFF", 2));
    const auto loaded = readWholeFile(file);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().bytes, QByteArray("\x00\xFF", 2));
    const FileIdentity identity = identifyFile(file).value();
    EXPECT_EQ(loaded.value().identity.inode, identity.inode);
    EXPECT_EQ(loaded.value().identity.size, 2);
    EXPECT_EQ(loaded.value().identity.mtimeNs, identity.mtimeNs);
}

} // namespace
} // namespace zuk
