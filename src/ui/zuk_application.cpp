#include "ui/zuk_application.h"

#include "app/settings.h"
#include "app/start_up.h"
#include "backup/make_backup.h"

#include <QApplication>
#include <QScreen>

#include <cstdlib>

namespace zuk {

ZukApplication::ZukApplication(const AppEnvironment& environment, Terminator terminate,
                               Prompter* prompter, YieldHook* yieldHook)
    : m_environment(environment),
      m_terminate(terminate ? std::move(terminate) : Terminator(&ZukApplication::endProcess)),
      m_activePrompter(prompter ? prompter : &m_prompter),
      m_activeYield(yieldHook ? yieldHook : &m_yield),
      m_window(std::make_unique<frmMain>(m_state, *m_activePrompter)),
      m_settings(std::make_unique<FrmMainSettings>(*m_window)) {
    m_prompter.setOwner(m_window.get());
}

ZukApplication::~ZukApplication() = default;

void ZukApplication::Main() {
    Form_Load();
    const AppPathsSetup setup = SetAppPaths(m_environment);
    m_paths = setup.paths;
    if (!setup.folder)
        m_activePrompter->inform(setup.problemText(), setup.wantedFolder);

    m_log = std::make_unique<ActivityLog>(m_paths.logPath());
    m_run = std::make_unique<SearchRun>(*m_window, m_state, *m_window, *m_activePrompter,
                                        *m_activeYield, *m_log, MakeBackup);
    m_rollBack = std::make_unique<RollBack>(*m_window, *m_window, *m_activePrompter, *m_activeYield,
                                            m_state, *m_log);
    m_window->setStartCommand([this] { (void)m_run->start(); });
    m_window->setRollBackCommand([this] { (void)m_rollBack->start(); });
    m_window->setUnloadCommand([this] { Form_Unload(); });
    m_windows = std::make_unique<SecondaryWindows>(*m_window, *m_activePrompter, m_paths.logPath(),
                                                   m_paths.executableFolder);

    if (m_paths.hasAppFolder()) {
        (void)restoreSettingsIfMissing(m_paths.iniPath, m_paths.settingsBackupPath());
        LoadSettings(m_paths.iniPath, *m_settings);
        (void)makeSettingsBackup(m_paths.iniPath, m_paths.settingsBackupPath());
    } else {
        LoadSettings(QString(), *m_settings); // no folder: the defaults
    }
    m_window->applyClickReactions();
    m_window->show();
}

void ZukApplication::Form_Load() {
    // Centred with its full designed width, then narrowed keeping that left edge.
    const QScreen* screen =
        m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    m_window->move(m_window->startPosition(available));
}

void ZukApplication::Form_Unload() {
    const bool workUnderWay = m_state.runActive || m_state.rollBackActive;
    if (m_paths.hasAppFolder())
        (void)SaveSettings(m_paths.iniPath, *m_settings); // a failed save is not reported
    if (m_windows)
        m_windows->closeAll();
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
