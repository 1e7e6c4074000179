// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/edits.h"

namespace zuk::test {

QString textAfter(const Edit& edit, const QString& before) {
    return edit.changed ? edit.text.text() : before;
}

QStringList messageTexts(const Edit& edit) {
    QStringList texts;
    for (const Message& message : edit.messages)
        texts.append(message.text);
    return texts;
}

} // namespace zuk::test
