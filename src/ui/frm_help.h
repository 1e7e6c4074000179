// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/text_viewer.h"

namespace zuk {

// The help viewer "ZUK Help": the help text, with Exit and Print.
class frmHelp final : public TextViewer {
    Q_OBJECT
public:
    static constexpr QSize kClientTwips{8190, 7245};

    // `helpPath` empty: there is no help file.
    frmHelp(QString helpPath, const TwipScale& scale, Prompter* prompter, PrintDialog& printDialog);

    QPlainTextEdit* txtHelp() const { return textBox(); }

    // Reads the help text ("Help file missing" when there is none) and places the window: its
    // left edge at the main window's, its top 100 twips above the main window's top, with
    // the title bar kept on the screen.
    void Form_Load(const QWidget& mainWindow);

private:
    QString m_helpPath;
};

} // namespace zuk
