// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace zuk {

// A subject as a regular expression sees it: UTF-8, with each line break (CR LF, LF or CR) as
// one "\n". The bytes of a UTF-8 text without a CR are that already and are used in place, so
// a streamed window or a Unix file costs no copy; any other text (characters, one-byte text,
// a CR anywhere) is converted once, here, and positions map back to the subject's units
// (characters, or bytes). Matches come in order, so mapping walks on from the last position it
// mapped; a position behind that starts from the nearest checkpoint. The subject must outlive
// this, and only one thread at a time may map.
class RegexText {
public:
    static RegexText ofUtf8(QByteArrayView bytes);
    static RegexText ofOneByte(QByteArrayView bytes); // Windows-1252
    static RegexText ofText(QStringView text);

    std::string_view utf8() const { return m_inPlace ? m_inPlaceView : std::string_view(m_copy); }
    qsizetype subjectSize() const { return m_size; }
    // Where the subject's unit `position` starts in the view; inside a character or a CR LF,
    // where the next one starts.
    qsizetype toView(qsizetype position) const;
    // The subject's unit at which the view's `offset` starts.
    qsizetype toSubject(qsizetype offset) const;

private:
    // A unit of the subject and where it starts in the view.
    struct Checkpoint {
        qsizetype subject;
        qsizetype view;
    };

    RegexText() = default;
    // The bytes the view gives the subject's unit at `i` (0 for the LF of a CR LF and the low
    // half of a surrogate pair).
    qsizetype unitLength(qsizetype i) const;
    void buildFromBytes();
    void buildFromText();
    // The nearest place at or before `target` (by `Checkpoint::*key`) to walk on from.
    Checkpoint startFor(qsizetype target, qsizetype Checkpoint::*key) const;

    QStringView text() const { return m_decoded.isNull() ? m_text : QStringView(m_decoded); }

    std::string m_copy;
    std::string_view m_inPlaceView;
    bool m_inPlace = false;
    qsizetype m_size = 0;
    bool m_isBytes = false;
    QByteArrayView m_bytes;                // the subject when it is UTF-8, else
    QStringView m_text;                    // its characters
    QString m_decoded;                     // or those of a one-byte text
    std::vector<Checkpoint> m_checkpoints; // every few thousand units
    mutable Checkpoint m_cursor{0, 0};     // the last place mapped
};

// Appends the UTF-8 form of `c`.
void appendUtf8(std::string& out, char32_t c);

} // namespace zuk
