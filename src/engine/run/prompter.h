// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zuk {

// The title a message box shows when it has none of its own.
inline const QString kApplicationTitle = QStringLiteral("ZUK (Zukanor)");

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Critical, Information };
enum class MessageResult { Ok, Yes, No };

struct Message {
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageResult defaultButton = MessageResult::Ok;
    QString title;   // empty: the application's title
    QString subject; // the file or folder the message concerns, if any; named where not in text

    // A refusal, a failure or the end of a command: OK only, no title of its own.
    static Message information(const QString& text, const QString& subject = {}) {
        return Message{text, MessageButtons::Ok, MessageIcon::None, MessageResult::Ok, {}, subject};
    }
    bool operator==(const Message&) const = default;
};

// Message boxes. The window shows a real box; tests answer from a script.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageResult show(const Message& message) = 0;

    void inform(const QString& text, const QString& subject = {}) {
        show(Message::information(text, subject));
    }
    // A confirmation before something that can't be undone: Yes/No, critical icon, No by
    // default, title "Warning". True when the user answered Yes.
    bool confirm(const QString& text) {
        return show(Message{text,
                            MessageButtons::YesNo,
                            MessageIcon::Critical,
                            MessageResult::No,
                            QStringLiteral("Warning"),
                            {}}) == MessageResult::Yes;
    }
};

} // namespace zuk
