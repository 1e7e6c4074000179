// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_file.h"

#include <QDir>
#include <QFileInfo>

namespace zuk {

QString findHelpFile(const QString& executableFolder) {
    if (executableFolder.isEmpty())
        return {};
    const QDir folder(executableFolder);
    for (const QString& candidate :
         {QStringLiteral("help.txt"), QStringLiteral("../share/zukanor/help.txt")}) {
        const QFileInfo file(folder.filePath(candidate));
        if (file.isFile())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

} // namespace zuk
