// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_types.h"
#include "engine/run/run_state.h"
#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/path_chooser.h"
#include "ui/right_box.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace zuk::test {

// The application font in points for the life of the object; the platform's own comes back
// after it. Windows take the font that is set when they are built.
class AppFont {
public:
    explicit AppFont(double points) : m_saved(QApplication::font()) {
        QFont font = m_saved;
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    ~AppFont() { QApplication::setFont(m_saved); }
    AppFont(const AppFont&) = delete;
    AppFont& operator=(const AppFont&) = delete;

private:
    QFont m_saved;
};

// Answers Browse from a queue; an empty answer is a cancel.
class ScriptedChooser : public PathChooser {
public:
    QString chooseFile(QWidget*, const QString& filter, const QString& startAt) override {
        fileCalls.append({filter, startAt});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString chooseFolder(QWidget*, const QString& title, const QString& startAt) override {
        folderTitles.append(title);
        folderStarts.append(startAt);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QList<QString> answers;
    QList<std::pair<QString, QString>> fileCalls; // filter, where the dialog opens
    QList<QString> folderTitles;
    QList<QString> folderStarts;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { window.setPathChooser(&chooser); }

    CheckBox* chk(const char* name) { return named<CheckBox>(window, name); }
    QRadioButton* opt(const char* name) { return named<QRadioButton>(window, name); }
    QPushButton* cmd(const char* name) { return named<QPushButton>(window, name); }
    QLineEdit* line(const char* name) { return named<QLineEdit>(window, name); }
    bool enabled(const char* name) { return named<QWidget>(window, name)->isEnabled(); }
    bool itemEnabled(const char* name) { return named<QAction>(window, name)->isEnabled(); }

    // Stand in for the run and the roll back, which own the flags the window reads.
    void enterRun() {
        state.runActive = true;
        window.adapter().enterRunState();
    }
    void leaveRun() {
        state.runActive = false;
        window.adapter().leaveRunState();
    }
    void enterRollBack() {
        state.rollBackActive = true;
        window.adapter().enterRollBackState();
    }
    void leaveRollBack() {
        state.rollBackActive = false;
        window.adapter().leaveRollBackState();
    }

    RunState state;
    ScriptedPrompter prompter;
    ScriptedChooser chooser;
    frmMain window{state, prompter};
};

// The check boxes of the file types, in the order of kFileTypes.
inline QStringList fileTypeBoxes() {
    QStringList names;
    for (const FileType& type : kFileTypes)
        names.append(QString::fromLatin1(type.checkBox));
    return names;
}
inline const QStringList kFileTypeBoxes = fileTypeBoxes();

} // namespace zuk::test
