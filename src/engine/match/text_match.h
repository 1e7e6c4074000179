// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace zuk {

struct TextMatch {
    qsizetype position = -1; // -1: none
    qsizetype length = 0;    // units of the subject covered (a line break may be 1 or 2)
    bool found() const { return position >= 0; }
};

// The text a matcher searches: its characters, or the bytes of a UTF-8 or one-byte text, in
// which positions and lengths then count bytes.
struct Subject {
    QStringView text;
    QByteArrayView bytes;
    bool inBytes = false;

    static Subject ofText(QStringView text) { return {text, {}, false}; }
    static Subject ofBytes(QByteArrayView bytes) { return {{}, bytes, true}; }
    qsizetype size() const { return inBytes ? bytes.size() : text.size(); }
    // The unit at i; 0 outside the subject.
    char16_t unitAt(qsizetype i) const {
        if (i < 0 || i >= size())
            return 0;
        return inBytes ? char16_t(uchar(bytes[i])) : text[i].unicode();
    }
};

} // namespace zuk
