// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/prompter.h"

#include <QList>

namespace zuk::test {

// Records every message box and answers from a queue (Yes to confirmations when it's empty,
// unless told otherwise).
class ScriptedPrompter : public Prompter {
public:
    MessageResult show(const Message& message) override;

    QStringList texts() const;
    QList<Message> shown;
    QList<MessageResult> answers;
    MessageResult defaultAnswer = MessageResult::Yes;
};

} // namespace zuk::test
