#pragma once

#include <QPlainTextEdit>

namespace zuk {

// A several-line text box: Tab moves the focus, Ctrl+Tab types a tab, Enter types a line
// break, and taking the focus selects the whole text.
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
};

// The raw text of a plain text box with `lineBreak` for every line break it shows.
QString rawPlainText(const QPlainTextEdit* box, const QString& lineBreak);

} // namespace zuk
