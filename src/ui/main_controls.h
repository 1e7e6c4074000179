// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_types.h"

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace zuk {

class CheckBox;
class MultiLineBox;
class RightBox;

// The main window's controls that its rules and commands reach, by the names of the
// description. The control table's rows put them here as the window is built (main_layout.cpp),
// the menus theirs as they are made.
struct MainControls {
    MultiLineBox* txtSearch = nullptr;
    MultiLineBox* txtReplace = nullptr;
    QLineEdit* txtPath = nullptr;
    QLineEdit* txtThis = nullptr;
    QRadioButton* optText = nullptr;
    QRadioButton* optFile = nullptr;
    QRadioButton* optAll = nullptr;
    CheckBox* chkSub = nullptr;
    CheckBox* chkAllType = nullptr;
    std::array<CheckBox*, kFileTypes.size()> fileTypes{}; // in the order of kFileTypes
    CheckBox* chkThis = nullptr;
    CheckBox* chkCase = nullptr;
    CheckBox* chkLog = nullptr;
    CheckBox* chkSearchOnly = nullptr;
    CheckBox* chkBackUp = nullptr;
    CheckBox* chkDoAllCRLF = nullptr;
    CheckBox* chkKeepLeftSpc = nullptr;
    CheckBox* chkKeepRightSpc = nullptr;
    QPushButton* cmdExpand = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdRollBack = nullptr;
    QPushButton* cmdViewLog = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    QLabel* Label1 = nullptr; // the search box's caption
    QLabel* Label4 = nullptr; // the path box's caption
    QLabel* lblTotFiles = nullptr;
    QLabel* lblFilesDone = nullptr;
    QLabel* lblReplaceMade = nullptr;
    QLabel* lblCurPath = nullptr;
    RightBox* RTB1 = nullptr;

    QAction* mnuClear = nullptr;
    QAction* mnuRollBack = nullptr;
    QAction* mnuStart = nullptr;
    QAction* mnuBatch = nullptr;
    QAction* mnuViewLog = nullptr;
    QAction* mnuPreview = nullptr;
    QAction* mnuUndoLastRun = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuRegex = nullptr; // the Options menu's check items
    QAction* mnuWholeWords = nullptr;
    QAction* mnuPreserveCase = nullptr;
    QAction* mnuFileFilters = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;
    QMenu* mnuCustomMenu = nullptr; // RTB1's pop-up
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
};

} // namespace zuk
