// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_journal.h"

#include "engine/files/path_bytes.h"
#include "engine/journal/journal_undo.h"
#include "engine/journal/undo_texts.h"
#include "engine/run/search_run.h"

namespace zuk {

namespace {

// A message box shows this many of the files an undo left; the rest are counted.
constexpr qsizetype kFilesNamed = 20;

QString closingText(const UndoReport& report) {
    QString text = QStringLiteral("Undo Done\n\n") + undoCountsText(report);
    qsizetype named = 0;
    for (const UndoFile& file : report.files) {
        if (!file.isLeft())
            continue;
        if (named == 0)
            text += QStringLiteral("\nLeft as they are:\n");
        if (named++ < kFilesNamed)
            text += undoLeftText(file) + u'\n';
    }
    if (named > kFilesNamed)
        text += QStringLiteral("... and %1 more\n").arg(named - kFilesNamed);
    for (const QString& path : report.notKept)
        text += QStringLiteral("\nThis undo can't be undone for %1 (%2)")
                    .arg(displayPath(path), notKeptReason());
    if (report.endedBy)
        text += QStringLiteral("\nThe undo stopped: %1").arg(report.endedBy->message());
    return text.trimmed();
}

} // namespace

const QString WindowJournal::kNothingToUndoText = QStringLiteral("There is no run to undo.");

QString WindowJournal::journalProblemText(const QString& path, const QString& reason) {
    return QStringLiteral("The undo journal can't be kept in\n%1\n%2\n\nThis run could not be "
                          "undone. Do you want to continue?")
        .arg(displayPath(path), reason);
}

WindowJournal::WindowJournal(const QString& journalPath, RunOptions& options, RunWindow& window,
                             Prompter& prompter, SearchRun& run)
    : m_session(journalPath), m_options(options), m_window(window), m_prompter(prompter),
      m_run(run) {}

JournalLimits WindowJournal::limits() const {
    return journalLimitsOf(m_options.text(OptionId::UndoRuns), m_options.text(OptionId::UndoSize));
}

bool WindowJournal::beginRun(const QString& searchText) {
    return begin(m_run, m_options, searchText);
}

bool WindowJournal::beginRun(SearchRun& run, const RunOptions& options) {
    return begin(run, options, options.searchText());
}

bool WindowJournal::begin(SearchRun& run, const RunOptions& options, const QString& searchText) {
    if (!m_session.enabled() || options.mode() == RunMode::RightBoxText ||
        options.searchOnly() == Checked)
        return true;
    const Status begun =
        m_session.begin(run, RunInfo{RunKind::Run, options.path(), searchText, 0}, limits());
    return begun ||
           m_prompter.confirm(journalProblemText(m_session.path(), begun.error().message()));
}

bool WindowJournal::beginBatch(const QString& batchPath) {
    return beginRun(QStringLiteral("--batch %1").arg(batchPath));
}

void WindowJournal::endRun() {
    Status ended;
    const QStringList notKept = m_session.end(&ended);
    if (!ended)
        m_prompter.inform(QStringLiteral("The undo journal: %1").arg(ended.error().message()),
                          m_session.path());
    if (notKept.isEmpty())
        return;
    QStringList names;
    for (qsizetype i = 0; i < notKept.size() && i < kFilesNamed; ++i)
        names.append(displayPath(notKept[i]));
    if (notKept.size() > kFilesNamed)
        names.append(QStringLiteral("... and %1 more").arg(notKept.size() - kFilesNamed));
    m_prompter.inform(QStringLiteral("These files can't be undone (%1):\n").arg(notKeptReason()) +
                      names.join(u'\n'));
}

void WindowJournal::undoLastRun() {
    JournalFolder* folder = m_session.folder();
    if (!folder) {
        m_prompter.inform(kNothingToUndoText);
        return;
    }
    folder->setLimits(limits());
    const Result<std::optional<UndoPlan>> plan = planUndo(*folder, std::nullopt);
    if (!plan) {
        m_prompter.inform(QStringLiteral("The undo journal: %1").arg(plan.error().message()),
                          m_session.path());
        return;
    }
    if (!plan.value()) {
        m_prompter.inform(kNothingToUndoText);
        return;
    }
    const UndoPlan& planned = *plan.value();
    if (!m_prompter.confirm(undoConfirmationText(planned.run, planned.inspected)))
        return;
    const Result<UndoReport> done = JournalUndo(*folder).undo(planned.run.id);
    if (!done) {
        m_prompter.inform(QStringLiteral("The undo journal: %1").arg(done.error().message()),
                          m_session.path());
        return;
    }
    const UndoReport& report = done.value();
    m_window.showCounters({qint64(report.files.size()), report.count(UndoVerdict::PutBack), 0});
    m_prompter.inform(closingText(report));
}

} // namespace zuk
