// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_run.h"
#include "batch/batch_window.h"
#include "ui/main_layout.h"
#include "ui/qt_prompter.h"
#include "ui/screen_fit.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zuk {

class CheckBox;
class PathChooser;

// The batch window's controls that its commands reach.
struct BatchControls {
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* tBatchPath = nullptr;
    QPushButton* cB = nullptr;
    QComboBox* cboDelin = nullptr;
    CheckBox* chkQuote = nullptr;
    QPushButton* cTest = nullptr;
    QPushButton* cBatch = nullptr;
    QPushButton* cExit = nullptr;
};

// The batch window "Batch Processing": the batch file's path, its delineation and whether its
// items are quoted, and the Test, Batch and Quit buttons. Not modal; closing deletes it.
class frmBatch final : public QWidget, public BatchWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 8880;
    static constexpr int kClientHeightTwips = 7200;
    static const QString kFileFilter;
    static const QString kHelpText;

    // `showListing` opens the test view (or brings it forward) with a listing. `prompter`
    // replaces the window's own message boxes (tests).
    frmBatch(BatchMainWindow& mainWindow, RunState& state, Prompter* prompter, YieldHook& yieldHook,
             PathChooser& chooser, std::function<void(const QString&)> showListing);

    const BatchControls& controls() const { return m_c; }
    QPlainTextEdit* Text1() const { return m_c.Text1; }
    QLineEdit* tBatchPath() const { return m_c.tBatchPath; }
    QComboBox* cboDelin() const { return m_c.cboDelin; }
    CheckBox* chkQuote() const { return m_c.chkQuote; }
    const TwipScale& scale() const { return m_scale; }
    ScreenFit& screenFit() { return m_fit; }
    bool batchUnderWay() const { return m_run.isActive(); }

    // Places the window's left edge at the main window's and its top 100 twips above it.
    void Form_Load(const QWidget& mainWindow);
    void cTest_Click();
    void cB_Click();
    // Starts a batch, or asks the one under way to stop.
    BatchOutcome cBatch_Click();
    void cExit_Click();

    // BatchWindow.
    QString batchPath() const override;
    BatchFormat batchFormat() const override;
    void enterBatchState() override;
    void leaveBatchState() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setBatchState(bool running);

    // Boxes over this window, which is in front again when they close.
    QtPrompter m_ownBoxes{this};
    Prompter& m_prompter;
    PathChooser& m_chooser;
    std::function<void(const QString&)> m_showListing;
    BatchRun m_run;
    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    BatchControls m_c;
    TwipScale m_scale;
    // The file name the dialog keeps from one use to the next.
    QString m_cd1FileName;
    bool m_closeWhenIdle = false;
};

} // namespace zuk
