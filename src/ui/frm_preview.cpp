// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_preview.h"

#include "backup/make_backup.h"
#include "engine/files/path_text.h"
#include "engine/run/preview_change.h"
#include "ui/app_icon.h"
#include "ui/frm_main.h"
#include "ui/frm_main_settings.h"
#include "ui/preview_model.h"
#include "ui/window_placement.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <thread>

namespace zuk {

namespace {

constexpr int kMostHunksShown = 500;

// Up to three threads besides the run's prepare the files: the settings are taken once.
int preparers() {
    return int(std::clamp(std::thread::hardware_concurrency(), 2u, 4u)) - 1;
}

} // namespace

// The run's view of the windows: the main window shows the run as it shows its own (running
// state, counters, the file worked on), and the Preview comes on screen when the run starts.
class frmPreview::Window final : public RunWindow {
public:
    Window(frmPreview& preview, RunWindow& main) : m_preview(preview), m_main(main) {}

    void enterRunState() override {
        m_main.enterRunState();
        m_preview.m_running = true;
        m_preview.updateState();
        if (!m_preview.m_placed) {
            m_preview.m_placed = true;
            m_preview.m_fit.place(m_preview.m_main.pos() + QPoint(40, 40));
        }
        bringForward(&m_preview);
    }
    void leaveRunState() override {
        m_preview.m_running = false;
        m_main.leaveRunState();
    }
    void enterRollBackState() override { m_main.enterRollBackState(); }
    void leaveRollBackState() override { m_main.leaveRollBackState(); }
    void showCounters(const RunCounters& counters) override {
        shown = counters;
        m_main.showCounters(counters);
    }
    void setCurrentPath(const QString& path) override { m_main.setCurrentPath(path); }
    QString rightBoxText() override { return m_main.rightBoxText(); }
    Status setRightBoxText(const QString& text) override { return m_main.setRightBoxText(text); }
    QString rightBoxSubject() const override { return m_main.rightBoxSubject(); }
    void showWorkingText(const WorkingText& text) override { m_main.showWorkingText(text); }
    void openLogViewer() override { m_main.openLogViewer(); }

    RunCounters shown;

private:
    frmPreview& m_preview;
    RunWindow& m_main;
};

frmPreview::frmPreview(frmMain& main, RunState& state, Prompter* prompter, YieldHook& yield,
                       const ActivityLog& log)
    : QWidget(nullptr, Qt::Window), m_main(main), m_state(state),
      // Boxes belong to the Preview once it is on the screen, to the main window before.
      m_ownBoxes([this]() -> QWidget* {
          return isVisible() ? static_cast<QWidget*>(this) : static_cast<QWidget*>(&m_main);
      }),
      m_prompter(prompter ? *prompter : m_ownBoxes), m_yield(yield), m_log(log),
      m_window(std::make_unique<Window>(*this, main.adapter())), m_options(new QLabel(this)),
      m_tree(new QTreeView(this)), m_change(new QTextEdit(this)), m_status(new QLabel(this)),
      m_apply(new QPushButton(QStringLiteral("&Apply"), this)),
      m_close(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Preview"));
    setWindowIcon(applicationIcon());
    m_options->setObjectName(QStringLiteral("lblOptions"));
    m_options->setWordWrap(true);
    m_tree->setObjectName(QStringLiteral("trePreview"));
    m_change->setObjectName(QStringLiteral("txtChange"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_apply->setObjectName(QStringLiteral("cmdApply"));
    m_close->setObjectName(QStringLiteral("cmdClose"));

    m_tree->setUniformRowHeights(true); // a million rows scroll without measuring each
    m_tree->setAlternatingRowColors(true);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setItemDelegate(new MarkedTextDelegate(m_tree));
    m_tree->installEventFilter(this);
    m_change->setReadOnly(true);
    m_change->setLineWrapMode(QTextEdit::NoWrap);
    m_change->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_change->setPlaceholderText(
        QStringLiteral("Select a file and press Enter to see its change."));

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_tree);
    split->addWidget(m_change);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_options);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(m_apply, &QPushButton::clicked, this, &frmPreview::cmdApply_Click);
    connect(m_close, &QPushButton::clicked, this, &frmPreview::cmdClose_Click);
    connect(m_tree, &QTreeView::activated, this, [this] { showChange(); });
    m_announce.setInterval(150);
    connect(&m_announce, &QTimer::timeout, this, [this] {
        if (m_model)
            m_model->announce();
        updateState();
    });
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(200);
    connect(&m_changeTimer, &QTimer::timeout, this, &frmPreview::showChange);
    m_fit.setDesignedSize(QSize(main.scale().px(12000), main.scale().px(8400)));
}

frmPreview::~frmPreview() = default;

void frmPreview::restorePlace(const QRect& place) {
    m_fit.setDesignedSize(place.size());
    m_fit.place(place.topLeft());
    m_placed = true;
}

void frmPreview::preview() {
    if (m_running)
        return;
    const RunOptionValues values = readSettings(m_main);
    m_session = std::make_unique<PreviewSession>(values, m_state, *m_window, m_prompter, m_yield,
                                                 m_log, MakeBackup);
    m_session->setPreparers(values.optText || values.optFile ? 0 : preparers());
    m_session->setApplyHooks(m_applyHooks);
    delete m_model;
    m_model = new PreviewModel(m_session->results(), this);
    m_model->setTicksShown(!m_session->searchOnly());
    if (!values.optText && !values.optFile) {
        QString folder = values.path;
        if (!folder.isEmpty() && !isPathSeparator(folder.back()))
            folder += nativeSeparator();
        m_model->setFolder(folder);
    }
    m_tree->setModel(m_model);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->setColumnWidth(0, m_main.scale().px(3000));
    m_tree->setColumnWidth(1, m_main.scale().px(4200));
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { m_changeTimer.start(); });
    connect(m_model, &PreviewModel::ticksChanged, this, [this] {
        updateState();
        m_changeTimer.start();
    });
    m_session->setObserver([this](qsizetype file) {
        // The first subject is shown at once; the rest in batches.
        if (file == 0)
            m_model->announce();
    });
    m_change->clear();
    m_applied = false;
    showOptionsNote(values);
    // A refusal (its message over the main window) leaves the Preview closed.
    runSession(&PreviewSession::preview);
    if (m_model && m_model->rowCount() > 0 && !m_tree->currentIndex().isValid())
        m_tree->setCurrentIndex(m_model->index(0, 0));
}

RunOutcome frmPreview::runSession(RunOutcome (PreviewSession::*step)()) {
    m_model->setTickable(false);
    m_announce.start();
    const RunOutcome outcome = ((*m_session).*step)();
    m_announce.stop();
    m_running = false;
    m_model->announce();
    m_model->setTickable(!m_applied);
    updateState();
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        close();
    }
    return outcome;
}

void frmPreview::cmdApply_Click() {
    if (m_running || !m_session || m_applied || m_session->searchOnly())
        return;
    m_applied = true; // the finds' places are those of the files before
    m_applying = true;
    const RunOutcome outcome = runSession(&PreviewSession::apply);
    m_applying = false;
    if (outcome == RunOutcome::Refused || outcome == RunOutcome::Declined) {
        m_applied = false;
        m_model->setTickable(true);
    }
    updateState();
}

void frmPreview::cmdClose_Click() {
    if (m_running) {
        m_state.cancelFlag = true;
        return;
    }
    close();
}

void frmPreview::closeEvent(QCloseEvent* event) {
    if (m_running) {
        // The run stops at its next yield; the window closes when it has.
        m_state.cancelFlag = true;
        m_closeWhenDone = true;
        event->ignore();
        return;
    }
    event->accept();
}

void frmPreview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Space:
                toggleCurrent();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                showChange();
                return true;
            case Qt::Key_Escape:
                close();
                return true;
            default:
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmPreview::toggleCurrent() {
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_model)
        return;
    const QModelIndex tick = current.siblingAtColumn(0);
    if (!(m_model->flags(tick) & Qt::ItemIsUserCheckable))
        return;
    const bool ticked = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    m_model->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void frmPreview::showOptionsNote(const RunOptionValues& values) {
    QStringList on;
    if (values.regex == Checked)
        on.append(QStringLiteral("Regular Expression"));
    if (values.wholeWords == Checked)
        on.append(QStringLiteral("Whole Words"));
    if (values.preserveCase == Checked)
        on.append(QStringLiteral("Preserve Case"));
    if (!values.optText && !values.optFile) {
        if (!values.includePatterns.trimmed().isEmpty())
            on.append(QStringLiteral("only %1").arg(
                values.includePatterns.split(u'\n', Qt::SkipEmptyParts)
                    .join(QStringLiteral(", "))));
        if (!values.excludePatterns.trimmed().isEmpty())
            on.append(
                QStringLiteral("not %1").arg(values.excludePatterns.split(u'\n', Qt::SkipEmptyParts)
                                                 .join(QStringLiteral(", "))));
        if (values.useGitIgnore == Checked)
            on.append(QStringLiteral(".gitignore"));
    }
    if (values.doAllCrlf != Unchecked)
        on.append(QStringLiteral("line breaks tolerated: files are chosen whole"));
    if (values.searchOnly != Unchecked)
        on.append(QStringLiteral("Search Only: nothing is changed"));
    m_options->setText(
        on.isEmpty() ? QString() : QStringLiteral("Options on: ") + on.join(QStringLiteral("; ")));
    m_options->setVisible(!on.isEmpty());
}

void frmPreview::updateState() {
    const bool searchOnly = !m_session || m_session->searchOnly();
    m_apply->setVisible(!searchOnly);
    const PreviewResults* found = results();
    m_apply->setEnabled(!m_running && !m_applied && found && found->tickedCount() > 0);
    m_close->setText(m_running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
    if (!found) {
        m_status->clear();
        return;
    }
    QString status =
        QStringLiteral("%1 files, %2 finds").arg(found->size()).arg(found->findCount());
    if (!searchOnly)
        status += QStringLiteral(", %1 ticked").arg(found->tickedCount());
    if (m_running || m_applying)
        status =
            (m_applied ? QStringLiteral("Applying... ") : QStringLiteral("Searching... ")) + status;
    else if (m_applied)
        status = QStringLiteral("Applied: %1 files changed, %2 replacements")
                     .arg(m_window->shown.filesDone)
                     .arg(m_window->shown.replaceMade);
    m_status->setText(status);
}

void frmPreview::showChange() {
    m_changeTimer.stop();
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_session)
        return;
    const qsizetype fileIndex = PreviewModel::fileOf(current);
    const PreviewFile& file = m_session->results().at(fileIndex);
    m_change->clear();
    // Finds of several passes lie in the text the passes before left: the change is made again.
    const Result<DecodedChange> decoded =
        file.wholeFileOnly ? remadeChange(file, m_session->values()) : decodeChange(file);
    if (!decoded) {
        m_change->setPlainText(decoded.error().message());
        return;
    }
    const QList<ChangeHunk> hunks = changeHunks(decoded.value().text, decoded.value().finds, 3);
    QTextCursor cursor(m_change->document());
    QTextCharFormat plain;
    const auto block = [&](const QColor& ground, bool first) {
        QTextBlockFormat format;
        format.setBackground(ground);
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format, plain);
    };
    const auto line = [&](const ChangeLine& shown, char sign, const QColor& ground,
                          const QColor& markGround, bool first) {
        block(ground, first);
        cursor.insertText(
            QStringLiteral("%1 %2 ").arg(shown.number, 6).arg(QChar::fromLatin1(sign)), plain);
        qsizetype at = 0;
        for (const ChangeSpan& mark : shown.marks) {
            cursor.insertText(shown.text.sliced(at, mark.start - at), plain);
            QTextCharFormat marked;
            marked.setBackground(markGround);
            cursor.insertText(mark.length == 0 ? QStringLiteral("\u2038")
                                               : shown.text.sliced(mark.start, mark.length),
                              marked);
            at = mark.start + mark.length;
        }
        cursor.insertText(shown.text.sliced(at), plain);
    };
    const QColor white(Qt::white), red(255, 230, 230), darkRed(255, 170, 170), green(225, 250, 225),
        darkGreen(160, 230, 160), grey(240, 240, 240);
    bool first = true;
    int position = -1;
    const qint64 wanted =
        PreviewModel::findOf(current) >= 0 ? file.finds[PreviewModel::findOf(current)].line : -1;
    for (qsizetype h = 0; h < hunks.size() && h < kMostHunksShown; ++h) {
        const ChangeHunk& hunk = hunks[h];
        if (!first && !hunk.follows) {
            block(grey, false);
            cursor.insertText(QStringLiteral("     \u22EE"), plain);
        }
        for (const ChangeLine& l : hunk.before) {
            line(l, ' ', white, white, first);
            first = false;
        }
        if (position < 0 && !hunk.removed.isEmpty() && hunk.removed.back().number >= wanted)
            position = cursor.position();
        for (const ChangeLine& l : hunk.removed) {
            line(l, '-', red, darkRed, first);
            first = false;
        }
        for (const ChangeLine& l : hunk.added)
            line(l, '+', green, darkGreen, false);
        for (const ChangeLine& l : hunk.after)
            line(l, ' ', white, white, false);
    }
    if (hunks.size() > kMostHunksShown) {
        block(grey, false);
        cursor.insertText(QStringLiteral("... %1 more changes").arg(hunks.size() - kMostHunksShown),
                          plain);
    }
    QTextCursor at(m_change->document());
    at.setPosition(std::max(position, 0));
    m_change->setTextCursor(at);
    m_change->ensureCursorVisible();
}

} // namespace zuk
