// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main_layout.h"
#include "ui/screen_fit.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace zuk {

struct TestBatchControls {
    QPlainTextEdit* RTB1 = nullptr;
    QPushButton* Command1 = nullptr;
};

// The test view "Batch Entries Test": the batch file's entries as the Test button read them.
// Not modal; Command1 closes (and deletes) it.
class frmTestBatch final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 8895;
    static constexpr int kClientHeightTwips = 6630;

    frmTestBatch();

    QPlainTextEdit* RTB1() const { return m_c.RTB1; }
    QPushButton* Command1() const { return m_c.Command1; }
    const TwipScale& scale() const { return m_scale; }
    ScreenFit& screenFit() { return m_fit; }

    // Empties the box and shows `listing` in it.
    void showListing(const QString& listing);
    void Command1_Click();

private:
    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    TestBatchControls m_c;
    TwipScale m_scale;
};

} // namespace zuk
