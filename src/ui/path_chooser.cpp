#include "ui/path_chooser.h"

#include <QFileDialog>

namespace zuk {

QString QtPathChooser::chooseFile(QWidget* owner, const QString& filter, const QString& current) {
    return QFileDialog::getOpenFileName(owner, QString(), current, filter);
}

QString QtPathChooser::chooseFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title);
}

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty())
            continue;
        // On Windows "*.*" is every file; elsewhere it would miss names without a dot.
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the last parenthesised group as the patterns, so the label keeps its
        // own parentheses and the patterns follow in a group of their own.
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace zuk
