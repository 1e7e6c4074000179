// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace zuk {

// The form a line break inserted into a text without any takes: the platform's own.
inline QString platformLineBreak() {
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

// The forms of the line breaks in [position, position + length) of a text's characters or
// bytes, in order; a CR LF is one break.
template <typename View> QStringList lineBreaksOf(View text, qsizetype position, qsizetype length) {
    QStringList forms;
    const qsizetype end = position + length;
    for (qsizetype i = position; i < end; ++i) {
        if (text[i] == '\r' && i + 1 < end && text[i + 1] == '\n') {
            forms.append(QStringLiteral("\r\n"));
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            forms.append(QString(QChar(text[i])));
        }
    }
    return forms;
}

} // namespace zuk
