// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/cli_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include <unistd.h>

namespace zuk::test {

Ran runZukCli(const QTemporaryDir& folder, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("AppData", folder.filePath("appdata"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../zuk-cli"),
                  arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return Ran{process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError(),
               process.exitStatus() == QProcess::NormalExit};
}

} // namespace zuk::test
