// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace zuk {

// The file and folder choosers behind Browse. The window uses the Qt dialogs; tests give
// their own answers.
class PathChooser {
public:
    virtual ~PathChooser() = default;
    // The chosen file's full path, or empty when the user cancels. `filter` is in Qt's form;
    // the dialog opens at `startAt`, a folder or a file to select in its folder.
    virtual QString chooseFile(QWidget* owner, const QString& filter, const QString& startAt) = 0;
    // The chosen folder, or empty when the user cancels; the browser opens at `startAt` when
    // it is not empty.
    virtual QString chooseFolder(QWidget* owner, const QString& title, const QString& startAt) = 0;
};

class QtPathChooser final : public PathChooser {
public:
    QString chooseFile(QWidget* owner, const QString& filter, const QString& startAt) override;
    QString chooseFolder(QWidget* owner, const QString& title, const QString& startAt) override;
};

// Turns a "label|pattern|label|pattern|" filter into Qt's "label (pattern);;..." form. A
// label that starts with its own pattern, as in "*.htm (HTM Files)", keeps only the rest, so
// that the dialog shows the pattern once. A pattern of "*.*" means every file.
QString qtFileFilter(const QString& pipeFilter);

// The folder that `path` names or lies in, when that folder exists; empty otherwise (also for
// an empty or relative path).
QString existingFolderOf(const QString& path);

} // namespace zuk
