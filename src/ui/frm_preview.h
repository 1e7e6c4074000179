// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/preview_session.h"
#include "ui/qt_prompter.h"
#include "ui/screen_fit.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTextEdit;
class QTreeView;

namespace zuk {

class frmMain;
class PreviewModel;

// File -> "Preview Changes": runs the main window's settings as a dry run and lists every find
// by file as the run goes on; the selected file's change shows below the list (read when
// shown). Each file and find has a tick; Apply writes the ticked finds through a run's commit.
// The window is kept when closed, so it opens again at its size and place.
class frmPreview final : public QWidget {
    Q_OBJECT
public:
    // `prompter` replaces the window's own message boxes (tests).
    frmPreview(frmMain& main, RunState& state, Prompter* prompter, YieldHook& yield,
               const ActivityLog& log);
    ~frmPreview() override;

    // Around each Apply (the undo journal joins here).
    void setApplyHooks(PreviewSession::ApplyHooks hooks) { m_applyHooks = std::move(hooks); }

    // Takes the main window's settings and previews them; the window shows once the run
    // starts (a refusal leaves it closed).
    void preview();
    // Writes the ticked finds; the preview is spent after it.
    void cmdApply_Click();
    // Cancel while the run works, Close after it.
    void cmdClose_Click();
    // Shows the change of the current row's file now.
    void showChange();

    // Where the window stands (its frame's top left) and its size; it opens there next time.
    QRect place() const { return QRect(pos(), size()); }
    void restorePlace(const QRect& place);
    // Whether the window was ever on the screen.
    bool wasPlaced() const { return m_placed; }

    bool running() const { return m_running; }
    PreviewResults* results() { return m_session ? &m_session->results() : nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Window;
    RunOutcome runSession(RunOutcome (PreviewSession::*step)());
    void showOptionsNote(const RunOptionValues& values);
    void updateState();
    void toggleCurrent();

    frmMain& m_main;
    RunState& m_state;
    QtPrompter m_ownBoxes;
    Prompter& m_prompter;
    YieldHook& m_yield;
    const ActivityLog& m_log;
    PreviewSession::ApplyHooks m_applyHooks;
    std::unique_ptr<Window> m_window;
    std::unique_ptr<PreviewSession> m_session;
    PreviewModel* m_model = nullptr;
    QLabel* m_options;
    QTreeView* m_tree;
    QTextEdit* m_change;
    QLabel* m_status;
    QPushButton* m_apply;
    QPushButton* m_close;
    ScreenFit m_fit{*this, ScreenFit::Sizing::Resizable};
    QTimer m_announce;    // rows shown as they come, a few times a second
    QTimer m_changeTimer; // the change view follows the current row after a pause
    bool m_running = false;
    bool m_applied = false;
    bool m_applying = false; // from Apply until its run has ended, its confirmation first
    bool m_closeWhenDone = false;
    bool m_placed = false;
};

} // namespace zuk
