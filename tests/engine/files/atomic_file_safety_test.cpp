// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/atomic_file.h"
#include "engine/files/temporary_file.h"

#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(native(path).constData(), &st), 0) << path.toStdString();
    return st;
}

QString deniedOrWritten(const Status& status) {
    return status.ok() ? QStringLiteral("written") : status.error().message();
}

// A forked child opens a writer on `target`, writes 4 MiB and is killed with SIGKILL while
// its temporary file is open. False when the child never got that far.
bool killWhileWriting(const QString& target) {
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        auto writer = AtomicFileWriter::open(target);
        if (!writer.ok() || !writer.value()->write(QByteArray(4 << 20, 'x')).ok())
            ::_exit(1);
        const char ready = 1;
        if (::write(fds[1], &ready, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    char ready = 0;
    const bool started = ::read(fds[0], &ready, 1) == 1;
    ::close(fds[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return started;
}

struct NamedTemporaryFiles {
    NamedTemporaryFiles() { forceNamedTemporaryFiles(true); }
    ~NamedTemporaryFiles() { forceNamedTemporaryFiles(false); }
};

class AtomicFileSafety : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool unnamedTemporaryFiles() const {
        const int probe = ::open(native(m_dir.path()).constData(), O_TMPFILE | O_WRONLY, 0600);
        if (probe >= 0)
            ::close(probe);
        return probe >= 0;
    }
    QTemporaryDir m_dir;
};

TEST_F(AtomicFileSafety, ATargetRemovedWhileTheNewFileIsWrittenIsNotCreatedAgain) {
    const QString target = path(QStringLiteral("gone.txt"));
    writeBytes(target, "old");
    auto writer = AtomicFileWriter::open(target, identifyFile(target).value());
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->write("new").ok());
    ASSERT_EQ(::unlink(native(target).constData()), 0);
    const Status committed = writer.value()->commit();
    ASSERT_FALSE(committed.ok());
    EXPECT_EQ(committed.error().number, ErrorNumber::FileNotFound);
    EXPECT_TRUE(entriesOf(m_dir.path()).isEmpty());
}

// The rename needs only the folder's permission, so the writer asks about the file itself.
TEST_F(AtomicFileSafety, AFileTheProcessMayNotWriteIsNotReplaced) {
    ASSERT_EQ(::chmod(native(m_dir.path()).constData(), 0777), 0);
    const QString readOnly = path(QStringLiteral("read-only.txt"));
    writeBytes(readOnly, "read only");
    ASSERT_EQ(::chmod(native(readOnly).constData(), 0444), 0);
    // Also for root: a file without any write bit is read-only.
    EXPECT_EQ(deniedOrWritten(writeFileAtomically(readOnly, "changed")),
              QStringLiteral("ERROR: 70 Permission denied"));
    EXPECT_EQ(readBytes(readOnly), "read only");

    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's file needs root to make";
    const QString owned = path(QStringLiteral("root-owned.txt"));
    writeBytes(owned, "root's");
    ASSERT_EQ(::chmod(native(owned).constData(), 0644), 0);
    const QString asNobody =
        test::runUnprivileged([&] { return deniedOrWritten(writeFileAtomically(owned, "mine")); });
    EXPECT_EQ(asNobody, QStringLiteral("ERROR: 70 Permission denied"));
    EXPECT_EQ(readBytes(owned), "root's");
    EXPECT_EQ(statOf(owned).st_uid, 0u);
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"read-only.txt", "root-owned.txt"}));
}

TEST_F(AtomicFileSafety, AFileWithOtherHardLinksIsRefusedButItsOwnBackupIsNoOtherName) {
    const QString target = path(QStringLiteral("page.htm"));
    const QString other = path(QStringLiteral("other.htm"));
    writeBytes(target, "old");
    ASSERT_EQ(::link(native(target).constData(), native(other).constData()), 0);
    const Status refused = writeFileAtomically(target, "new", identifyFile(target).value());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().number, ErrorNumber::PathFileAccess);
    EXPECT_TRUE(refused.error().description.contains(QStringLiteral("other hard links")));
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(statOf(other).st_ino, statOf(target).st_ino);

    // As a kill between linking the backup and the rename leaves it.
    ASSERT_EQ(::rename(native(other).constData(), native(target + "_BU").constData()), 0);
    ASSERT_TRUE(writeFileAtomically(target, "new", identifyFile(target).value()).ok());
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(readBytes(target + "_BU"), "old");
    EXPECT_EQ(statOf(target + "_BU").st_nlink, 1u);
}

// An access ACL in the kernel's form: owner rw, the user nobody r, group r, mask r, others r.
QByteArray aclGivingNobodyRead() {
    const quint32 anyone = 0xFFFFFFFF;
    const struct {
        quint16 tag;
        quint16 permissions;
        quint32 id;
    } entries[] = {{0x01, 6, anyone},
                   {0x02, 4, 65534},
                   {0x04, 4, anyone},
                   {0x10, 4, anyone},
                   {0x20, 4, anyone}};
    QByteArray acl;
    const auto append = [&acl](auto value) {
        value = qToLittleEndian(value);
        acl.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    append(quint32(2));
    for (const auto& entry : entries) {
        append(entry.tag);
        append(entry.permissions);
        append(entry.id);
    }
    return acl;
}

QByteArray attribute(const QString& path, const char* name) {
    QByteArray value(4096, Qt::Uninitialized);
    const ssize_t size = ::getxattr(native(path).constData(), name, value.data(), value.size());
    return size < 0 ? QByteArray("(none)") : value.left(size);
}

TEST_F(AtomicFileSafety, ExtendedAttributesAndTheAclAreKept) {
    QTemporaryDir shm(QStringLiteral("/dev/shm/zuk-XXXXXX"));
    const QByteArray acl = aclGivingNobodyRead();
    int checked = 0;
    for (const QString& folder : {m_dir.path(), shm.path()}) {
        const QString file = folder + QStringLiteral("/page.htm");
        const QString copy = folder + QStringLiteral("/copy.htm");
        if (folder.isEmpty())
            continue;
        writeBytes(file, "old");
        if (::setxattr(native(file).constData(), "user.zuk", "kept", 4, 0) != 0)
            continue; // none on this file system
        const bool hasAcl = ::setxattr(native(file).constData(), "system.posix_acl_access",
                                       acl.constData(), size_t(acl.size()), 0) == 0;
        ASSERT_TRUE(copyFileAtomically(file, copy).ok());
        ASSERT_TRUE(writeFileAtomically(file, "new", identifyFile(file).value()).ok());
        for (const QString& written : {file, copy}) {
            SCOPED_TRACE(written.toStdString());
            EXPECT_EQ(attribute(written, "user.zuk"), "kept");
            EXPECT_EQ(attribute(written, "system.posix_acl_access"), hasAcl ? acl : "(none)");
        }
        EXPECT_EQ(readBytes(copy), "old");
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "neither /tmp nor /dev/shm has user extended attributes here";
}

TEST_F(AtomicFileSafety, SetIdBitsStayOnlyWithTheOwnerAndGroupTheyBelongTo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files away needs root";
    ASSERT_EQ(::chmod(native(m_dir.path()).constData(), 0777), 0);
    const QString kept = path(QStringLiteral("kept"));
    writeBytes(kept, "old");
    ASSERT_EQ(::chown(native(kept).constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(native(kept).constData(), 06755), 0);
    ASSERT_TRUE(writeFileAtomically(kept, "new", identifyFile(kept).value()).ok());
    EXPECT_EQ(statOf(kept).st_mode & 07777, 06755u);
    EXPECT_EQ(statOf(kept).st_uid, 65534u);
    EXPECT_EQ(statOf(kept).st_gid, 65534u);

    // Written by nobody, root's file becomes nobody's and loses the bits.
    const QString givenUp = path(QStringLiteral("given-up"));
    writeBytes(givenUp, "old");
    ASSERT_EQ(::chmod(native(givenUp).constData(), 06666), 0);
    EXPECT_EQ(
        test::runUnprivileged([&] { return deniedOrWritten(writeFileAtomically(givenUp, "new")); }),
        QStringLiteral("written"));
    EXPECT_EQ(statOf(givenUp).st_mode & 07777, 0666u);
    EXPECT_EQ(statOf(givenUp).st_uid, 65534u);
}

TEST_F(AtomicFileSafety, AWriterKilledWhileWritingLeavesNothing) {
    if (!unnamedTemporaryFiles())
        GTEST_SKIP() << "no unnamed temporary files on this file system";
    const QString target = path(QStringLiteral("big.txt"));
    writeBytes(target, "original");
    ASSERT_TRUE(killWhileWriting(target));
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"big.txt"});
    EXPECT_EQ(readBytes(target), "original");
}

TEST_F(AtomicFileSafety, AKillAtTheBackupLeavesNoTemporaryFile) {
    if (!unnamedTemporaryFiles())
        GTEST_SKIP() << "no unnamed temporary files on this file system";
    // The new text gets its name after the backup link, right before the rename: a kill once
    // the backup is made finds it still unnamed.
    const QString target = path(QStringLiteral("page.htm"));
    writeBytes(target, "old");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const BackupMaker killedOnceMade = [](const QString& file) {
            if (keepAsBackup(file, file + "_BU").ok())
                ::raise(SIGKILL);
            return Status(makeError(ErrorNumber::DeviceIo));
        };
        auto writer = AtomicFileWriter::open(target, identifyFile(target).value(), killedOnceMade);
        if (writer.ok() && writer.value()->write("new").ok())
            (void)writer.value()->commit();
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"page.htm", "page.htm_BU"}));
    EXPECT_EQ(readBytes(target), "old");
}

TEST_F(AtomicFileSafety, ANamedTemporaryFileLeftByAKillIsSweptUnlessItIsLocked) {
    const NamedTemporaryFiles named;
    const QString killed = path(QStringLiteral("killed.txt"));
    const QString busy = path(QStringLiteral("busy.txt"));
    for (const QString& file : {killed, busy})
        writeBytes(file, "original");
    ASSERT_TRUE(killWhileWriting(killed));
    const auto hidden = [&] {
        return entriesOf(m_dir.path()).filter(QRegularExpression(QStringLiteral("^\\.")));
    };
    ASSERT_EQ(hidden().size(), 1);
    EXPECT_TRUE(hidden().constFirst().startsWith(QStringLiteral(".killed.txt.zuk-")));

    auto writer = AtomicFileWriter::open(busy); // its temporary file is locked while open
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->write("busy").ok());
    WriteTracker writes;
    ASSERT_TRUE(
        writeFileAtomically(path(QStringLiteral("next.txt")), "next", std::nullopt, &writes).ok());
    ASSERT_EQ(hidden().size(), 1);
    EXPECT_TRUE(hidden().constFirst().startsWith(QStringLiteral(".busy.txt.zuk-")));

    ASSERT_TRUE(writer.value()->commit().ok());
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"busy.txt", "killed.txt", "next.txt"}));
    EXPECT_EQ(readBytes(busy), "busy");
    EXPECT_EQ(readBytes(killed), "original");
}

} // namespace
} // namespace zuk
