// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_prompter.h"

namespace zuk::test {

MessageResult ScriptedPrompter::show(const Message& message) {
    shown.append(message);
    if (message.buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const Message& m : shown)
        result.append(m.text);
    return result;
}

} // namespace zuk::test
