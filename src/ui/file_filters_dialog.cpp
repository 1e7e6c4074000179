// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_filters_dialog.h"

#include "engine/files/glob_filter.h"
#include "engine/run/file_selection.h"
#include "ui/app_icon.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zuk {

namespace {

QPlainTextEdit* patternBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QPlainTextEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabChangesFocus(true);
    const QFontMetrics metrics(box->font());
    box->setFixedSize(metrics.horizontalAdvance(QLatin1Char('x')) * 44,
                      metrics.lineSpacing() * 5 + 2 * box->frameWidth() + 8);
    return box;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

FileFiltersDialog::FileFiltersDialog(const Filters& filters, QWidget* parent, Prompter* prompter)
    : QDialog(parent), m_prompter(prompter ? prompter : &m_ownPrompter) {
    setObjectName(QStringLiteral("frmFileFilters"));
    setWindowTitle(QStringLiteral("File Filters"));
    setWindowIcon(applicationIcon());

    QWidget* page = m_fit.page();
    m_include = patternBox("txtInclude", filters.include, page);
    m_exclude = patternBox("txtExclude", filters.exclude, page);
    m_gitIgnore = new QCheckBox(QStringLiteral("&Skip what .gitignore files exclude"), page);
    m_gitIgnore->setObjectName(QStringLiteral("chkGitIgnore"));
    m_gitIgnore->setChecked(filters.gitIgnore);
    auto* hint = new QLabel(QStringLiteral("For a run over a directory. One pattern a line, as in "
                                           ".gitignore: * and ? within a name, ** across "
                                           "folders, / at the start for the directory's own, / at "
                                           "the end for folders only, ! to take back."),
                            page);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);
    hint->setFixedWidth(m_include->width());
    hint->setFixedHeight(hint->heightForWidth(hint->width()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, page);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FileFiltersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FileFiltersDialog::reject);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        caption(QStringLiteral("&Include patterns (take these files):"), m_include, page));
    layout->addWidget(m_include);
    layout->addWidget(caption(QStringLiteral("&Exclude patterns (leave out these files and "
                                             "folders):"),
                              m_exclude, page));
    layout->addWidget(m_exclude);
    layout->addWidget(m_gitIgnore);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    layout->activate();
    const QSize client = layout->sizeHint();
    page->setFixedSize(client);
    m_fit.setDesignedSize(client);
    m_include->setFocus(Qt::OtherFocusReason);
}

FileFiltersDialog::Filters FileFiltersDialog::filters() const {
    return {m_include->toPlainText(), m_exclude->toPlainText(), m_gitIgnore->isChecked()};
}

void FileFiltersDialog::accept() {
    for (const auto& [box, kind] : {std::pair{m_include, GlobFilter::Kind::Include},
                                    std::pair{m_exclude, GlobFilter::Kind::Exclude}}) {
        const Result<GlobFilter> valid =
            GlobFilter::make(kind, {}, patternLines(box->toPlainText()));
        if (!valid) {
            m_prompter->inform(valid.error().description);
            box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    QDialog::accept();
}

} // namespace zuk
