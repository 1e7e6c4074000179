// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"
#include "engine/text/working_text.h"
#include "ui/file_filters_dialog.h"
#include "ui/main_controls.h"
#include "ui/main_layout.h"
#include "ui/main_window_adapter.h"
#include "ui/option_controls.h"
#include "ui/screen_fit.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QMenu;

namespace zuk {

class PathChooser;
class Prompter;
class RightBox;

// The main window. Its controls come from the control table (main_layout.cpp); its rules and
// small commands live in main_rules.cpp, what the right-hand box shows of a run in
// main_running.cpp. Its adapter is the run's RunOptions (every read looks at the controls) and
// its RunWindow.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kNarrowTwips = 6840;
    static constexpr int kWideTwips = 12825;
    static constexpr int kClientHeightTwips = 7875;

    frmMain(RunState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~frmMain() override;

    // The controls that the rules and commands reach, and the file types' boxes.
    const MainControls& controls() const { return m_c; }
    // The control of each run option.
    const OptionControls& optionControls() const { return m_options; }
    RightBox* rightBox() const { return m_c.RTB1; }
    QMenu* customMenu() const { return m_c.mnuCustomMenu; } // RTB1's pop-up
    const TwipScale& scale() const { return m_scale; }
    // The window's width in design twips: kNarrowTwips or kWideTwips.
    int widthTwips() const { return m_widthTwips; }
    bool isWide() const { return m_widthTwips == kWideTwips; }
    // Where the window's frame starts on a screen whose free area is `available`: the left edge
    // of the full width centred, the height centred, but never with the title bar or the left
    // edge off that area.
    QPoint startPosition(const QRect& available) const;
    // The window's size and place on its screen, and the scroll area around its controls.
    ScreenFit& screenFit() { return m_fit; }

    // Handlers of the commands that live elsewhere. Start and Roll Back are called on every
    // press of their button or menu item, also while their work runs (the handler then sets
    // the stop flag). The others enable their button and menu item once connected.
    void setStartCommand(std::function<void()> command);
    void setRollBackCommand(std::function<void()> command);
    void setViewLogCommand(std::function<void()> command);
    void setHelpCommand(std::function<void()> command);
    void setAboutCommand(std::function<void()> command);
    void setBatchCommand(std::function<void()> command);
    // File -> "Preview Changes".
    void setPreviewCommand(std::function<void()> command);
    // File -> "Undo Last Run"; off while a run or a roll back is under way, and doing nothing
    // between the entries of a batch.
    void setUndoCommand(std::function<void()> command);
    // Called when the window closes (saving the settings, closing the other windows).
    void setUnloadCommand(std::function<void()> command);
    // Replaces the dialogs behind Browse (tests); the window keeps ownership with the caller.
    void setPathChooser(PathChooser* chooser);

    const RunState& runState() const { return m_state; }
    bool IsBatch() const { return m_state.isBatch; }

    // The groups of controls that DisableControls sets.
    enum class ControlGroup { OptFile, OptAll, AllType };
    // Sets the enabled flags of a group of controls; only AllType uses OnOff. Never changes a
    // value.
    void DisableControls(ControlGroup WhatControls, bool OnOff);

    // Event handlers, callable like the window system calls them.
    void cmdStart_Click();
    void cmdRollBack_Click();
    void cmdExpand_Click();
    void cmdBrowse_Click();
    void cmdClear_Click();
    void cmdViewLog_Click();
    void cmdHelp_Click();
    void cmdExit_Click();
    void mnuAbout_Click();
    void mnuBatch_Click();
    void mnuPreview_Click();
    void mnuUndoLastRun_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    // Opens the File Filters dialog over the window; OK sets the selection options.
    void mnuFileFilters_Click();
    void optText_Click();
    void optFile_Click();
    void optAll_Click();
    void chkAllType_Click();
    void chkThis_Click();
    void chkDoAllCRLF_Click();

    // Runs the click reactions of the option boxes and then of the selected mode, so that every
    // enabled state is what those clicks give for the current values. Loading the settings
    // ends with it: a value set to what it already was runs no reaction, and the reactions
    // that did run came in the order of the file, not in the order a user would click.
    void applyClickReactions();

    // The path box's caption says when a file filter is set, and the tooltip which.
    void showFileFilters();
    // The selection options as the File Filters dialog shows them.
    FileFiltersDialog::Filters fileFilters() const;

    // The background colour given to txtThis by the rules.
    QColor txtThisBackground() const;
    // Shows the working buffer in RTB1 now if it changed since it was last shown.
    void refreshRightBox();

    // The run's and the roll back's view of the window.
    MainWindowAdapter& adapter() { return *m_adapter; }
    const MainWindowAdapter& adapter() const { return *m_adapter; }

    // The right-hand box as a run sees it: its text (the subject in text mode), the new text
    // given back, and the engine's working text shown. The box takes what it is given lazily.
    QString rightBoxText();
    void setRightBoxText(const QString& text);
    void showWorkingText(const WorkingText& text);
    // Called by the adapter: a run starts or ends (the box catches up); the run or roll back
    // flags changed.
    void runStarting();
    void runEnded();
    void workStateChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void connectRules();
    // The search box's caption says which of the Options menu's items are on.
    void showSearchReading();
    void setWidthTwips(int twips);
    void setTxtThisBackground(const QColor& colour);
    void updateCommandAvailability();
    void updateRightBoxEditable();
    void showRightBoxMenu(const QPoint& globalPosition);
    void syncRightBoxIntoBuffer();
    void refreshRightBoxWhenDue();

    RunState& m_state;
    Prompter& m_prompter;
    std::unique_ptr<PathChooser> m_ownChooser;
    PathChooser* m_chooser = nullptr;

    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    MainControls m_c;
    OptionControls m_options;
    // What lies in the right-hand pane, beyond the narrow width, with its left edge in twips.
    std::vector<std::pair<int, QWidget*>> m_rightPane;
    std::unique_ptr<MainWindowAdapter> m_adapter;
    RightBox* m_rtb1 = nullptr; // m_c.RTB1, the working buffer's box
    TwipScale m_scale;
    int m_widthTwips = kNarrowTwips;
    int m_menuBarHeight = 0;
    QColor m_txtThisBackground;

    std::function<void()> m_startCommand;
    std::function<void()> m_rollBackCommand;
    std::function<void()> m_viewLogCommand;
    std::function<void()> m_helpCommand;
    std::function<void()> m_aboutCommand;
    std::function<void()> m_batchCommand;
    std::function<void()> m_previewCommand;
    std::function<void()> m_undoCommand;
    std::function<void()> m_unloadCommand;

    // The file name the file dialog keeps from one use to the next.
    QString m_cd1FileName;

    // What RTB1 shows: the run's working text, or the box's own text. The box is refreshed
    // lazily so that a run never waits for it, and text typed into the box is taken from it
    // before a run reads it.
    WorkingText m_shown;
    bool m_rightBoxEditable = false; // the mode rules' choice
    bool m_bufferNewer = false;      // m_shown changed since the box last showed it
    bool m_boxNewer = false;         // the box was edited since m_shown last took it
    bool m_refreshingBox = false;
    QTimer m_refreshTimer;
    // During a run the box shows a file only now and then: filling and painting it for every
    // file would cost more than the run itself on a tree of small files.
    QElapsedTimer m_sinceRefresh;
    qint64 m_refreshCostMs = 0;
    bool m_shownOnce = false;
    // The path box's designed caption and width, which the file filters' note replaces.
    QString m_pathCaption;
    int m_pathCaptionWidth = 0;
    // The search box's designed caption and width, which the Options menu's note replaces.
    QString m_searchCaption;
    int m_searchCaptionWidth = 0;
};

} // namespace zuk
