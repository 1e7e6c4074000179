// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

namespace zuk {

// A several-line text box: Tab moves the focus, Ctrl+Tab types a tab, Enter types a line
// break, and taking the focus selects the whole text, by Tab or by a click alike; a click in
// the box that has the focus already places the caret.
class MultiLineBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineBox(QWidget* parent = nullptr);

    // The text with CR LF line breaks and nothing folded (non-breaking spaces stay).
    QString text() const;
    void setText(const QString& text);
    void selectAllText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The press that gave the box the focus is still to come, or its button is still down.
    bool m_focusedByClick = false;
    bool m_keepingSelection = false;
};

// The raw text of a plain text box with `lineBreak` for every line break it shows.
QString rawPlainText(const QPlainTextEdit* box, const QString& lineBreak);

} // namespace zuk
