#include "ui/qt_prompter.h"

#include <QMessageBox>
#include <QPushButton>

namespace zuk {

MessageResult QtPrompter::show(const Message& message) {
    QMessageBox box(m_owner);
    box.setWindowTitle(message.title.isEmpty() ? kApplicationTitle : message.title);
    box.setText(message.text);
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
