// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main_layout.h"
#include "ui/screen_fit.h"

#include <QHash>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace zuk {

// The test view "Batch Entries Test": the batch file's entries as the Test button read them.
// Not modal; Command1 closes (and deletes) it.
class frmTestBatch final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 8895;
    static constexpr int kClientHeightTwips = 6630;

    frmTestBatch();

    QPlainTextEdit* RTB1() const;
    QPushButton* Command1() const;
    const TwipScale& scale() const { return m_scale; }
    ScreenFit& screenFit() { return m_fit; }

    // Empties the box and shows `listing` in it.
    void showListing(const QString& listing);
    void Command1_Click();

private:
    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    QHash<QString, QWidget*> m_controls;
    TwipScale m_scale;
};

} // namespace zuk
