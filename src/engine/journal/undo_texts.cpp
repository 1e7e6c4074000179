// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/undo_texts.h"

namespace zuk {

namespace {

QString files(qint64 count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("file")
                                                             : QStringLiteral("files"));
}

} // namespace

QString undoConfirmationText(const RunSummary& run, const UndoReport& inspected) {
    const qint64 back = inspected.count(UndoVerdict::PutBack);
    QString text = QStringLiteral("Undo run %1 of %2 in \"%3\"?\n\n%4 will be put back as they "
                                  "were before it.")
                       .arg(run.id)
                       .arg(run.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                            safeShortText(run.path, 80), files(back));
    if (const qint64 left = inspected.left(); left > 0)
        text += QStringLiteral("\n%1 will be left as they are (changed since the run, or not "
                               "kept).")
                    .arg(files(left));
    return text;
}

QString undoCountsText(const UndoReport& report) {
    return QStringLiteral("Files Put Back : %1\nAlready As Before : %2\nFiles Left : %3\n")
        .arg(report.count(UndoVerdict::PutBack))
        .arg(report.count(UndoVerdict::AlreadyBack))
        .arg(report.left());
}

QString notKeptReason() {
    // A link moved to its backup is kept by the backup, not the journal: Roll Back puts it back.
    return QStringLiteral("the journal's limit, or a symbolic link that its backup keeps");
}

QString undoLeftText(const UndoFile& file) {
    return QStringLiteral("%1: %2").arg(safeShortText(file.path, 4096), file.reason());
}

QString historyLine(const RunSummary& run) {
    QString state;
    if (run.state == RunSummary::State::Running)
        state = QStringLiteral("  (running)");
    else if (run.state == RunSummary::State::CutShort)
        state = QStringLiteral("  (cut short)");
    if (run.undone)
        state += QStringLiteral("  undone");
    const QString what = run.kind == RunKind::Undo
                             ? QStringLiteral("undo of run %1").arg(run.undoes)
                             : QStringLiteral("\"%1\"").arg(safeShortText(run.searchText));
    return QStringLiteral("%1  %2  %3  %4  %5%6")
        .arg(run.id)
        .arg(run.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), files(run.files),
             safeShortText(run.path, 80), what, state);
}

} // namespace zuk
