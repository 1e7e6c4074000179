// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QString>

namespace zuk {

// The engine's working text as a window shows it: characters, or bytes that are decoded only
// when the window asks for them, since a run over many files shows few of them. Copies share
// the text.
class WorkingText {
public:
    WorkingText() = default;
    explicit WorkingText(QString text);
    // The bytes after the mark of a text in `encoding`. A text without a mark whose encoding
    // isn't settled yet reads as UTF-8 when its bytes are valid UTF-8, else as one byte per
    // character.
    WorkingText(QByteArray bytes, TextEncoding encoding, bool encodingSettled);
    // The first bytes of a longer text, cut at a whole character.
    static WorkingText beginning(QByteArray bytes, TextEncoding encoding, bool encodingSettled);

    const QString& text() const;

private:
    mutable QString m_text;
    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_encodingSettled = true;
    mutable bool m_decoded = true;
};

} // namespace zuk
