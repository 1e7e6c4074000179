#include "ui/multi_line_box.h"

#include <QKeyEvent>
#include <QTextBlock>

namespace zuk {

MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

QString MultiLineBox::text() const {
    return rawPlainText(this, QStringLiteral("\r\n"));
}

void MultiLineBox::setText(const QString& text) {
    setPlainText(text);
}

void MultiLineBox::selectAllText() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        if (!isReadOnly())
            insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    // Coming back from a menu or another window is not a new visit to the box.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        selectAllText();
}

QString rawPlainText(const QPlainTextEdit* box, const QString& lineBreak) {
    QString text;
    const QTextDocument* document = box->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            text += lineBreak;
        text += block.text();
    }
    // Shift+Enter breaks a line with U+2028 inside a block, and pasted text may bring U+2029:
    // the box shows both as line breaks, so they are line breaks.
    text.replace(QChar::LineSeparator, lineBreak);
    text.replace(QChar::ParagraphSeparator, lineBreak);
    return text;
}

} // namespace zuk
