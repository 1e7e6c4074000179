// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_file.h"
#include "support/temp_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zuk::test {
namespace {

TEST(HelpFile, BesideTheExecutableFirstThenTheInstalledDataFolder) {
    struct Case {
        bool beside, installed;
        const char* found; // relative to the prefix; empty: none
    };
    const Case cases[] = {
        {true, true, "bin/help.txt"}, {false, true, "share/zukanor/help.txt"}, {false, false, ""}};
    for (const Case& c : cases) {
        QTemporaryDir prefix;
        QDir(prefix.path()).mkpath(QStringLiteral("bin"));
        QDir(prefix.path()).mkpath(QStringLiteral("share/zukanor"));
        if (c.beside)
            writeBytes(prefix.filePath(QStringLiteral("bin/help.txt")), "build");
        if (c.installed)
            writeBytes(prefix.filePath(QStringLiteral("share/zukanor/help.txt")), "installed");
        const QString expected = *c.found ? prefix.filePath(QString::fromUtf8(c.found)) : QString();
        EXPECT_EQ(findHelpFile(prefix.filePath(QStringLiteral("bin"))), expected) << c.found;
    }
    EXPECT_EQ(findHelpFile(QString()), QString());
}

} // namespace
} // namespace zuk::test
