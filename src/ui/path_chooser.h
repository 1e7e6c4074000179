#pragma once

#include <QString>

class QWidget;

namespace zuk {

// The file and folder choosers behind Browse. The window uses the Qt dialogs; tests give
// their own answers.
class PathChooser {
public:
    virtual ~PathChooser() = default;
    // The chosen file's full path, or empty when the user cancels. `filter` is in Qt's form.
    virtual QString chooseFile(QWidget* owner, const QString& filter, const QString& current) = 0;
    // The chosen folder, or empty when the user cancels.
    virtual QString chooseFolder(QWidget* owner, const QString& title) = 0;
};

class QtPathChooser final : public PathChooser {
public:
    QString chooseFile(QWidget* owner, const QString& filter, const QString& current) override;
    QString chooseFolder(QWidget* owner, const QString& title) override;
};

// Turns a "label|pattern|label|pattern|" filter into Qt's
// "label (pattern);;..." form. A pattern of "*.*" means every file.
QString qtFileFilter(const QString& pipeFilter);

} // namespace zuk
