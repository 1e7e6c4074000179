// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_paths.h"

#include "engine/files/path_bytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace zuk {

namespace {

const QString kSeparator = QStringLiteral("/");

// The folder the application folder goes into, without a trailing separator (the root
// folder gives an empty text, so that joining never doubles the separator). Empty optional:
// there is no such folder at all.
std::optional<QString> baseFolder(const QString& appData) {
    QString base = appData;
    if (base.isEmpty()) {
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (base.isEmpty())
            return std::nullopt;
        // The per-user configuration folder is ours to create on a fresh account.
        QDir().mkpath(base);
    }
    while (base.endsWith(kSeparator))
        base.chop(1);
    return base;
}

bool isDirectory(const QByteArray& path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the one folder at path; its parent must exist. An existing folder is fine.
Status makeFolder(const QString& path) {
    const QByteArray native = encodePath(path);
    if (isDirectory(native))
        return {};
    if (::mkdir(native.constData(), 0700) == 0)
        return {};
    const int error = errno;
    if (error == EEXIST && isDirectory(native))
        return {}; // made by someone else meanwhile
    if (error == ENOENT)
        return makeError(ErrorNumber::PathNotFound); // the parent is missing
    return errorFromErrno(error);
}

} // namespace

QString AppPaths::settingsBackupPath() const {
    return hasAppFolder() ? appFolder + kSeparator + applicationName + QStringLiteral(".bak")
                          : QString();
}

QString AppPaths::logPath() const {
    return hasAppFolder() ? appFolder + QStringLiteral("/log.txt") : QString();
}

QString AppPaths::journalPath() const {
    return hasAppFolder() ? appFolder + QStringLiteral("/journal") : QString();
}

QString AppPaths::helpPath() const {
    return executableFolder.isEmpty() ? QString() : executableFolder + QStringLiteral("/help.txt");
}

AppEnvironment AppEnvironment::fromProcess() {
    return AppEnvironment{decodePath(qgetenv("AppData")), QCoreApplication::applicationFilePath()};
}

QString AppPathsSetup::problemText() const {
    if (folder.ok())
        return {};
    return QStringLiteral("The application folder \"%1\" can't be created or used (%2). "
                          "Settings and the activity log will not be saved.")
        .arg(displayPath(wantedFolder), folder.error().message());
}

AppPathsSetup SetAppPaths(const AppEnvironment& environment) {
    AppPathsSetup setup;
    const QFileInfo executable(environment.executablePath);
    // Only the last suffix goes: the name is what precedes an extension such as ".exe".
    QString name = executable.completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("zuk");
    setup.paths.applicationName = name;
    setup.paths.executableFolder =
        environment.executablePath.isEmpty() ? QString() : executable.absolutePath();

    const std::optional<QString> base = baseFolder(environment.appData);
    if (!base) {
        setup.folder = makeError(ErrorNumber::PathNotFound);
        return setup;
    }
    setup.wantedFolder = *base + kSeparator + name;
    setup.folder = makeFolder(setup.wantedFolder);
    if (setup.folder.ok()) {
        setup.paths.appFolder = setup.wantedFolder;
        setup.paths.iniPath = setup.wantedFolder + kSeparator + name + QStringLiteral(".ini");
    }
    return setup;
}

} // namespace zuk
