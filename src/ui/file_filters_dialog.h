// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/qt_prompter.h"
#include "ui/screen_fit.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QPlainTextEdit;

namespace zuk {

// Options -> File Filters...: the patterns that choose the files of a directory run, and the
// switch for the tree's ignore files. OK takes them unless a pattern can match nothing, which is
// named in a box over the dialog while it stays open; Cancel changes nothing.
class FileFiltersDialog final : public QDialog {
    Q_OBJECT
public:
    struct Filters {
        QString include; // a pattern a line
        QString exclude;
        bool gitIgnore = false;
        bool operator==(const Filters&) const = default;
    };

    // `prompter`: where its boxes go (tests); none: boxes of its own, over it.
    FileFiltersDialog(const Filters& filters, QWidget* parent, Prompter* prompter = nullptr);

    Filters filters() const;
    void accept() override;

    ScreenFit& screenFit() { return m_fit; }

private:
    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    QtPrompter m_ownPrompter{this};
    Prompter* m_prompter;
    QPlainTextEdit* m_include = nullptr;
    QPlainTextEdit* m_exclude = nullptr;
    QCheckBox* m_gitIgnore = nullptr;
};

} // namespace zuk
