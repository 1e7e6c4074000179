// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zuk_application.h"

#include "app/settings.h"
#include "app/start_up.h"
#include "app/window_place.h"
#include "backup/make_backup.h"

#include <QApplication>
#include <QScreen>

#include <cstdlib>

namespace zuk {

namespace {
// The settings file's section with the Preview window's size and place.
const QString kPreview = QStringLiteral("Preview");
} // namespace

ZukApplication::ZukApplication(const AppEnvironment& environment, Terminator terminate,
                               Prompter* prompter, YieldHook* yieldHook)
    : m_environment(environment),
      m_terminate(terminate ? std::move(terminate) : Terminator(&ZukApplication::endProcess)),
      // The run's messages during a batch come from the batch window's command.
      m_prompter([this]() -> QWidget* {
          if (m_batch && m_batch->batchUnderWay())
              return m_batch->batchWindow();
          return m_window.get();
      }),
      m_scriptedPrompter(prompter), m_activePrompter(prompter ? prompter : &m_prompter),
      m_activeYield(yieldHook ? yieldHook : &m_yield),
      m_window(std::make_unique<frmMain>(m_state, *m_activePrompter)) {}

ZukApplication::~ZukApplication() = default;

void ZukApplication::Main() {
    Form_Load();
    const AppPathsSetup setup = SetAppPaths(m_environment);
    m_paths = setup.paths;
    if (!setup.folder)
        m_activePrompter->inform(setup.problemText(), setup.wantedFolder);

    m_log = std::make_unique<ActivityLog>(m_paths.logPath());
    MainWindowAdapter& adapter = m_window->adapter();
    m_run = std::make_unique<SearchRun>(adapter, m_state, adapter, *m_activePrompter,
                                        *m_activeYield, *m_log, MakeBackup);
    m_journal = std::make_unique<WindowJournal>(m_paths.journalPath(), adapter, adapter,
                                                *m_activePrompter, *m_run);
    m_rollBack = std::make_unique<RollBack>(adapter, adapter, *m_activePrompter, *m_activeYield,
                                            m_state, *m_log);
    m_window->setStartCommand([this] {
        // Between two entries of a batch Start is still the batch's Cancel: a run started
        // there would skip its confirmation.
        if (m_state.isBatch && !m_state.runActive) {
            m_state.cancelFlag = true;
            m_state.batchCancelFlag = true;
            return;
        }
        // A press during the run is its Cancel.
        if (m_state.runActive) {
            (void)m_run->start();
            return;
        }
        if (!m_journal->beginRun(m_window->adapter().searchText()))
            return;
        (void)m_run->start();
        m_journal->endRun();
    });
    m_window->setRollBackCommand([this] { (void)m_rollBack->start(); });
    m_window->setUndoCommand([this] { m_journal->undoLastRun(); });
    m_window->setUnloadCommand([this] { Form_Unload(); });
    // Each of the other windows shows its own boxes, unless a script answers them all.
    m_windows = std::make_unique<SecondaryWindows>(*m_window, m_scriptedPrompter, m_paths.logPath(),
                                                   m_paths.executableFolder);
    m_batch = std::make_unique<BatchWindows>(*m_window, *m_run, m_state, m_scriptedPrompter,
                                             *m_activeYield);
    m_batch->setJournal(m_journal.get());

    m_window->setPreviewCommand([this] {
        if (!m_preview) {
            m_preview = std::make_unique<frmPreview>(*m_window, m_state, m_scriptedPrompter,
                                                     *m_activeYield, *m_log);
            // An Apply is journaled as the window's own runs are.
            m_preview->setApplyHooks({[this](SearchRun& run, const RunOptions& options) {
                                          return m_journal->beginRun(run, options);
                                      },
                                      [this] { m_journal->endRun(); }});
            if (m_paths.hasAppFolder()) {
                if (const std::optional<QRect> place = loadWindowPlace(m_paths.iniPath, kPreview))
                    m_preview->restorePlace(*place);
            }
        }
        m_preview->preview();
    });

    if (m_paths.hasAppFolder()) {
        (void)restoreSettingsIfMissing(m_paths.iniPath, m_paths.settingsBackupPath());
        applySettings(*m_window, LoadSettings(m_paths.iniPath));
        (void)makeSettingsBackup(m_paths.iniPath, m_paths.settingsBackupPath());
    } else {
        applySettings(*m_window, LoadSettings(QString())); // no folder: the defaults
    }
    m_window->applyClickReactions();
    m_window->show();
}

void ZukApplication::Form_Load() {
    // Centred with its full designed width, then narrowed keeping that left edge.
    const QScreen* screen =
        m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    m_window->screenFit().place(m_window->startPosition(available));
}

void ZukApplication::Form_Unload() {
    const bool workUnderWay =
        m_state.runActive || m_state.rollBackActive || (m_batch && m_batch->batchUnderWay());
    if (m_paths.hasAppFolder())
        (void)SaveSettings(m_paths.iniPath,
                           readSettings(*m_window)); // a failed save is not reported
    if (m_windows)
        m_windows->closeAll();
    if (m_batch)
        m_batch->closeAll();
    if (m_preview) {
        if (m_paths.hasAppFolder() && m_preview->wasPlaced())
            (void)saveWindowPlace(m_paths.iniPath, kPreview, m_preview->place());
        m_preview->hide();
    }
    if (m_paths.hasAppFolder())
        (void)deleteSettingsBackup(m_paths.settingsBackupPath());
    m_terminate(workUnderWay);
}

void ZukApplication::endProcess(bool workUnderWay) {
    if (workUnderWay) {
        // The run is suspended in a yield: no file is half written there (every write is
        // atomic and happens between yields), so ending now leaves every file whole.
        std::_Exit(EXIT_SUCCESS);
    }
    QCoreApplication::exit(EXIT_SUCCESS);
}

} // namespace zuk
