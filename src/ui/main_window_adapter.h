// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_options.h"
#include "engine/run/run_window.h"
#include "ui/main_controls.h"
#include "ui/option_controls.h"

#include <QString>
#include <QTimer>

#include <optional>

namespace zuk {

class frmMain;

// The main window as the run and the roll back see it: RunOptions read from the controls at
// every read, and RunWindow shown on them.
class MainWindowAdapter final : public RunOptions, public RunWindow {
public:
    MainWindowAdapter(frmMain& window, const MainControls& controls, const OptionControls& options);

    // RunOptions.
    CheckValue check(OptionId id) const override { return m_options.check(id); }
    QString text(OptionId id) const override { return m_options.text(id); }
    void setCheck(OptionId id, CheckValue value) override { m_options.setCheck(id, value); }

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
    const MainControls& m_c;
    const OptionControls& m_options;
    bool m_working = false; // a run or a roll back is under way
    QTimer m_due;
    std::optional<RunCounters> m_pendingCounters;
    std::optional<QString> m_pendingPath;
};

} // namespace zuk
