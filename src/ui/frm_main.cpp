// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main.h"

#include "engine/run/prompter.h"
#include "ui/app_icon.h"
#include "ui/check_box.h"
#include "ui/multi_line_box.h"
#include "ui/path_chooser.h"
#include "ui/right_box.h"
#include "ui/window_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace zuk {

frmMain::frmMain(RunState& state, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_prompter(prompter),
      m_ownChooser(std::make_unique<QtPathChooser>()), m_chooser(m_ownChooser.get()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zukanor"));
    setWindowIcon(applicationIcon());
    useFixedBorder(*this);

    QWidget* client = m_fit.page();
    client->setObjectName(QStringLiteral("client"));
    const BuiltControls built = buildControls(client, mainControls(), kClientHeightTwips, m_c);
    m_scale = built.scale;
    for (std::size_t i = 0; i < mainControls().size(); ++i) {
        const ControlRow& row = mainControls()[i];
        if (const RunOptionRow* option = runOptionShownBy(row.name))
            m_options.bind(*option, built.inRowOrder[i]);
        if (!row.parent && row.left >= kNarrowTwips)
            m_rightPane.emplace_back(row.left, built.inRowOrder[i]);
    }
    buildMenus();
    m_options.checkComplete();
    for (std::size_t i = 0; i < kFileTypes.size(); ++i)
        m_c.fileTypes[i] = m_options.checkBox(fileTypeOption(i));
    m_rtb1 = m_c.RTB1;
    m_adapter = std::make_unique<MainWindowAdapter>(*this, m_c, m_options);
    setTxtThisBackground(QColor(192, 192, 192));

    connectRules();
    updateCommandAvailability();

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &frmMain::refreshRightBoxWhenDue);
    connect(m_rtb1, &RightBox::aboutToPaint, this, [this] {
        if (m_bufferNewer && !m_refreshTimer.isActive())
            m_refreshTimer.start(0);
    });
    connect(m_rtb1->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_refreshingBox)
            m_boxNewer = true;
    });

    m_menuBarHeight = menuBar()->sizeHint().height();
    setWidthTwips(kNarrowTwips);
    m_c.txtSearch->setFocus(Qt::OtherFocusReason);
}

frmMain::~frmMain() = default;

void frmMain::buildMenus() {
    auto addItem = [this](QMenu* menu, QAction*& item, const char* name, const QString& caption,
                          void (frmMain::*handler)()) {
        item = menu->addAction(caption);
        item->setObjectName(QString::fromUtf8(name));
        connect(item, &QAction::triggered, this, handler);
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addItem(file, m_c.mnuClear, "mnuClear", QStringLiteral("Clear"), &frmMain::cmdClear_Click);
    addItem(file, m_c.mnuRollBack, "mnuRollBack", QStringLiteral("Roll Back"),
            &frmMain::cmdRollBack_Click);
    addItem(file, m_c.mnuStart, "mnuStart", QStringLiteral("Start Search"),
            &frmMain::cmdStart_Click);
    addItem(file, m_c.mnuBatch, "mnuBatch", QStringLiteral("Batch Processing"),
            &frmMain::mnuBatch_Click);
    addItem(file, m_c.mnuViewLog, "mnuViewLog", QStringLiteral("View Log"),
            &frmMain::cmdViewLog_Click);
    addItem(file, m_c.mnuPreview, "mnuPreview", QStringLiteral("Preview Changes"),
            &frmMain::mnuPreview_Click);
    m_c.mnuPreview->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    addItem(file, m_c.mnuUndoLastRun, "mnuUndoLastRun", QStringLiteral("Undo Last Run"),
            &frmMain::mnuUndoLastRun_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnul1"));
    addItem(file, m_c.mnuExit, "mnuExit", QStringLiteral("E&xit"), &frmMain::cmdExit_Click);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    auto addCheckItem = [&](QAction*& item, OptionId id, const QString& caption) {
        const RunOptionRow& row = runOption(id);
        item = options->addAction(caption);
        item->setObjectName(QString::fromUtf8(row.control));
        item->setCheckable(true);
        m_options.bindItem(row, item);
        connect(item, &QAction::toggled, this, &frmMain::showSearchReading);
    };
    addCheckItem(m_c.mnuRegex, OptionId::Regex, QStringLiteral("Regular Expression"));
    addCheckItem(m_c.mnuWholeWords, OptionId::WholeWords, QStringLiteral("Whole Words"));
    addCheckItem(m_c.mnuPreserveCase, OptionId::PreserveCase, QStringLiteral("Preserve Case"));
    options->addSeparator()->setObjectName(QStringLiteral("mnul2"));
    addItem(options, m_c.mnuFileFilters, "mnuFileFilters", QStringLiteral("File Filters\u2026"),
            &frmMain::mnuFileFilters_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuH"));
    addItem(help, m_c.mnuHelp, "mnuHelp", QStringLiteral("Help with ZUK"), &frmMain::cmdHelp_Click);
    addItem(help, m_c.mnuAbout, "mnuAbout", QStringLiteral("About ZUK"), &frmMain::mnuAbout_Click);

    m_c.mnuCustomMenu = new QMenu(QStringLiteral("mnuCustomMenu"), this);
    m_c.mnuCustomMenu->setObjectName(QStringLiteral("mnuCustomMenu"));
    addItem(m_c.mnuCustomMenu, m_c.mnuCopy, "mnuCopy", QStringLiteral("Copy"),
            &frmMain::mnuCopy_Click);
    addItem(m_c.mnuCustomMenu, m_c.mnuPaste, "mnuPaste", QStringLiteral("Paste"),
            &frmMain::mnuPaste_Click);
}

void frmMain::setStartCommand(std::function<void()> command) {
    m_startCommand = std::move(command);
}

void frmMain::setRollBackCommand(std::function<void()> command) {
    m_rollBackCommand = std::move(command);
}

void frmMain::setPreviewCommand(std::function<void()> command) {
    m_previewCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::mnuPreview_Click() {
    if (m_previewCommand && !m_state.runActive && !m_state.rollBackActive && !m_state.isBatch)
        m_previewCommand();
}

void frmMain::setViewLogCommand(std::function<void()> command) {
    m_viewLogCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::setHelpCommand(std::function<void()> command) {
    m_helpCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::setAboutCommand(std::function<void()> command) {
    m_aboutCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::setBatchCommand(std::function<void()> command) {
    m_batchCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::setUndoCommand(std::function<void()> command) {
    m_undoCommand = std::move(command);
    updateCommandAvailability();
}

void frmMain::setUnloadCommand(std::function<void()> command) {
    m_unloadCommand = std::move(command);
}

void frmMain::setPathChooser(PathChooser* chooser) {
    m_chooser = chooser ? chooser : m_ownChooser.get();
}

void frmMain::setWidthTwips(int twips) {
    m_widthTwips = twips;
    const QSize client(m_scale.px(twips), m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client + QSize(0, m_menuBarHeight));
    // The right-hand pane is hidden while it lies beyond the window's edge, so that neither Tab
    // nor anything else puts the focus where the user can't see it.
    for (const auto& [left, control] : m_rightPane)
        control->setVisible(left < twips);
}

QPoint frmMain::startPosition(const QRect& available) const {
    const int fullWidth = m_scale.px(kWideTwips);
    const int left = available.x() + available.width() / 2 - fullWidth / 2;
    const int top = available.y() + available.height() / 2 - frameGeometry().height() / 2;
    return {std::max(left, available.left()), std::max(top, available.top())};
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The focus starts in the search box with its whole text selected.
    m_c.txtSearch->setFocus(Qt::TabFocusReason);
    m_c.txtSearch->selectAllText();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Work under way stops at its next test of the flags, so closing never waits for it.
    if (m_state.runActive || m_state.rollBackActive) {
        m_state.cancelFlag = true;
        m_state.batchCancelFlag = true;
    }
    if (m_unloadCommand)
        m_unloadCommand();
    event->accept();
}

} // namespace zuk
