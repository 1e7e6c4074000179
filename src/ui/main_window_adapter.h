// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_types.h"
#include "engine/run/run_options.h"
#include "engine/run/run_window.h"

#include <QHash>
#include <QString>
#include <QTimer>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zuk {

class CheckBox;
class MultiLineBox;
class frmMain;

// The main window as the run and the roll back see it: RunOptions read from the controls at
// every read, and RunWindow shown on them. The controls are found once, when the window is
// built; a name that is missing or names another kind of control throws then.
class MainWindowAdapter final : public RunOptions, public RunWindow {
public:
    // The controls by name, as the window's builder made them.
    MainWindowAdapter(frmMain& window, const QHash<QString, QWidget*>& controls);

    struct Controls {
        MultiLineBox* txtSearch;
        MultiLineBox* txtReplace;
        QLineEdit* txtPath;
        QLineEdit* txtThis;
        QRadioButton* optText;
        QRadioButton* optFile;
        QRadioButton* optAll;
        CheckBox* chkSub;
        CheckBox* chkAllType;
        std::array<CheckBox*, kFileTypes.size()> fileTypes; // in the order of kFileTypes
        CheckBox* chkThis;
        CheckBox* chkCase;
        CheckBox* chkSearchOnly;
        CheckBox* chkBackUp;
        CheckBox* chkLog;
        CheckBox* chkDoAllCRLF;
        CheckBox* chkKeepLeftSpc;
        CheckBox* chkKeepRightSpc;
        QPushButton* cmdStart;
        QPushButton* cmdRollBack;
        QLabel* lblTotFiles;
        QLabel* lblFilesDone;
        QLabel* lblReplaceMade;
        QLabel* lblCurPath;
    };
    const Controls& controls() const { return m_c; }

    // RunOptions.
    QString searchText() const override;
    QString replaceText() const override;
    QString path() const override;
    bool optText() const override;
    bool optFile() const override;
    CheckValue subDirectories() const override;
    CheckValue allTypes() const override;
    FileTypeValues fileTypes() const override;
    CheckValue customType() const override;
    QString customExtension() const override;
    CheckValue caseSensitive() const override;
    CheckValue searchOnly() const override;
    CheckValue makeBackups() const override;
    CheckValue logChanges() const override;
    CheckValue doAllCrlf() const override;
    CheckValue keepSpaceLeft() const override;
    CheckValue keepSpaceRight() const override;
    void setMakeBackups(CheckValue value) override;

    // RunWindow.
    void enterRunState() override;
    void leaveRunState() override;
    void enterRollBackState() override;
    void leaveRollBackState() override;
    void showCounters(const RunCounters& counters) override;
    void setCurrentPath(const QString& path) override;
    QString rightBoxText() override;
    Status setRightBoxText(const QString& text) override;
    void showWorkingText(const WorkingText& text) override;
    void openLogViewer() override;

private:
    void lockBoxes(bool locked);
    // While a run is under way the captions are set when the event loop next turns, which
    // the run lets it do every few milliseconds: it reports once per file, and a caption set
    // and measured per file cost a third of a run's time. Otherwise they are set at once.
    void showWhenDue();
    void showPending();

    frmMain& m_window;
    const Controls m_c;
    bool m_working = false; // a run or a roll back is under way
    QTimer m_due;
    std::optional<RunCounters> m_pendingCounters;
    std::optional<QString> m_pendingPath;
};

} // namespace zuk
