// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/path_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace zuk {

QString QtPathChooser::chooseFile(QWidget* owner, const QString& filter, const QString& startAt) {
    return QFileDialog::getOpenFileName(owner, QString(), startAt, filter);
}

QString QtPathChooser::chooseFolder(QWidget* owner, const QString& title, const QString& startAt) {
    return QFileDialog::getExistingDirectory(owner, title, startAt);
}

QString existingFolderOf(const QString& path) {
    const QFileInfo info(QDir::fromNativeSeparators(path));
    if (path.isEmpty() || info.isRelative())
        return {};
    if (info.isDir())
        return info.absoluteFilePath();
    return QFileInfo(info.absolutePath()).isDir() ? info.absolutePath() : QString();
}

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty())
            continue;
        QString label = parts[i].trimmed();
        if (label.startsWith(pattern)) {
            label = label.sliced(pattern.size()).trimmed();
            if (label.startsWith(QLatin1Char('(')) && label.endsWith(QLatin1Char(')')))
                label = label.sliced(1, label.size() - 2).trimmed();
        }
        // On Windows "*.*" is every file; elsewhere it would miss names without a dot.
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the last parenthesised group as the patterns.
        filters << (label.isEmpty() ? pattern : QStringLiteral("%1 (%2)").arg(label, pattern));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace zuk
