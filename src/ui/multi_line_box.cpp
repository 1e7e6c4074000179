// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/multi_line_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
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
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        selectAllText();
        m_focusedByClick = event->reason() == Qt::MouseFocusReason;
    }
}

void MultiLineBox::focusOutEvent(QFocusEvent* event) {
    m_focusedByClick = false;
    m_keepingSelection = false;
    QPlainTextEdit::focusOutEvent(event);
}

// The focus comes before the press that gave it: the press would place the caret and undo the
// selection, so a left click that brought the focus leaves the caret alone, from the press to
// the release.
void MultiLineBox::mousePressEvent(QMouseEvent* event) {
    m_keepingSelection = m_focusedByClick && event->button() == Qt::LeftButton;
    m_focusedByClick = false;
    if (m_keepingSelection) {
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void MultiLineBox::mouseMoveEvent(QMouseEvent* event) {
    if (m_keepingSelection) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseMoveEvent(event);
}

void MultiLineBox::mouseReleaseEvent(QMouseEvent* event) {
    if (m_keepingSelection && event->button() == Qt::LeftButton) {
        m_keepingSelection = false;
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
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
