// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_prompter.h"

#include "engine/files/path_bytes.h"
#include "ui/window_placement.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>

namespace zuk {

namespace {

// A box as narrow as a short message leaves the window manager room for "Z…r)" of its
// title. Title bars draw it in their own font, often bold and larger than the dialog's,
// between an icon and up to three buttons.
void makeRoomForTitle(QMessageBox& box) {
    QFont font = box.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    const int buttons = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + 5 * buttons;
    // QMessageBox sets its own size from its layout, so the room goes into the layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QtPrompter::QtPrompter(QWidget* owner)
    : m_owner([window = QPointer<QWidget>(owner)] { return window.data(); }) {}

MessageResult QtPrompter::show(const Message& message) {
    QWidget* owner = m_owner ? m_owner() : nullptr;
    if (owner && !owner->isVisible())
        owner = QApplication::activeWindow();
    const QPointer<QWidget> asking = owner ? owner->window() : nullptr;
    const MessageResult result = showOver(asking, message);
    // The window system would pick the next window itself, often another one.
    if (asking && asking->isVisible())
        bringForward(asking);
    return result;
}

MessageResult QtPrompter::showOver(QWidget* owner, const Message& message) {
    QMessageBox box(owner);
    box.setWindowTitle(message.title.isEmpty() ? kApplicationTitle : message.title);
    // A failure of one file names that file, on a line of its own below the message.
    QString text = message.text;
    const QString subject = displayPath(message.subject);
    if (!subject.isEmpty() && !text.contains(subject))
        text += QLatin1Char('\n') + subject;
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (message.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    makeRoomForTitle(box);
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(message.defaultButton == MessageResult::Yes ? QMessageBox::Yes
                                                                         : QMessageBox::No);
        // Closing the box without an answer is a No: nothing irreversible happens by accident.
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageResult::Ok;
}

} // namespace zuk
