// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/make_backup.h"

#include "engine/files/text_buffer.h"
#include "support/temp_files.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace zuk;

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// With backups, a file reached through a symbolic link is not written at the link's
// destination: the new file takes the link's name and the backup keeps the link. As nobody,
// the kernel refuses to hard-link root's link, and the backup is a new link instead.
TEST(BackupLink, ALinkWithABackupIsReplacedByTheNewFileAndKeptAsTheBackup) {
    for (const bool asNobody : {false, true}) {
        SCOPED_TRACE(asNobody ? "as nobody" : "as the test's user");
        QTemporaryDir dir;
        ASSERT_EQ(::chmod(native(dir.path()).constData(), 0777), 0);
        const QString target = dir.filePath("target.txt");
        const QString link = dir.filePath("link.txt");
        test::writeBytes(target, "a text");
        ASSERT_EQ(::chmod(native(target).constData(), 0666), 0);
        ASSERT_EQ(::symlink("target.txt", native(link).constData()), 0);

        const auto edit = [&] {
            TextBuffer buffer;
            if (Status loaded = buffer.load(link); !loaded)
                return loaded.error().message();
            TextBuffer::Rewrite rewrite(buffer);
            rewrite.replace(0, 1, u"the");
            rewrite.finish();
            const Status saved = buffer.save(link, nullptr, MakeBackup);
            return saved.ok() ? QStringLiteral("saved") : saved.error().message();
        };
        EXPECT_EQ(asNobody ? test::runUnprivileged(edit) : edit(), QStringLiteral("saved"));

        EXPECT_FALSE(QFileInfo(link).isSymLink());
        EXPECT_EQ(test::readBytes(link), "the text");
        EXPECT_EQ(QFileInfo(link + "_BU").symLinkTarget(), QFileInfo(target).absoluteFilePath());
        EXPECT_EQ(test::readBytes(target), "a text");
    }
}

} // namespace
