// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace zuk::test {

// Answers the real message boxes as they come up, noting each one's text and the window it
// stands over: OK, or the next of `answers` for a question (No when there is none left).
class RealBoxes {
public:
    struct Box {
        QString text;
        QPointer<QWidget> owner;
    };

    RealBoxes() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start(5);
    }

    QStringList texts() const {
        QStringList shown;
        for (const Box& box : seen)
            shown << box.text;
        return shown;
    }

    QList<Box> seen;
    QList<QMessageBox::StandardButton> answers;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == m_answered)
            return;
        m_answered = box;
        seen.append({box->text(), box->parentWidget()});
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button)
            button = box->button(answers.isEmpty() ? QMessageBox::No : answers.takeFirst());
        button->click();
    }

    QTimer m_timer;
    QPointer<QMessageBox> m_answered;
};

} // namespace zuk::test
