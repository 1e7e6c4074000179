// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zuk {

// An INI file held in memory so that many keys can be read or written with one load and one
// atomic save. Sections and keys are matched without regard to case; lines that are not
// touched are written back byte for byte (comments, blank lines, other sections, odd bytes
// and each line's own line break). New lines take the file's first line break, CR LF in a
// file that has none.
//
// Values are stored verbatim unless that would not read back the same: a value holding a
// line break or NUL, a lone surrogate, a blank or tab at either end, or one that starts with
// the marker "{zuk}" is stored as the marker followed by the value with these escapes:
// \\ backslash, \r CR, \n LF, \t tab, \s a space at the very end, \uXXXX anything else.
class IniDocument final {
public:
    // The longest value a read gives back, in characters; longer values are cut. Far above any
    // text typed into the window, so that search and replace texts come back whole.
    static constexpr qsizetype MaxValueLength = 1024 * 1024;

    // A missing file gives an empty document; a file that can't be read is an error.
    static Result<IniDocument> load(const QString& path);
    static IniDocument fromBytes(const QByteArray& bytes);

    // The stored value, decoded and cut to MaxValueLength; `fallback` when the section or key
    // is missing or the value is empty.
    QString value(const QString& section, const QString& key, const QString& fallback) const;
    // Replaces the first matching key in place (its spelling kept), or adds the key at the end
    // of its section, or adds the section at the end of the file.
    void setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const;
    // Writes atomically; refused when the file changed on disk since it was loaded.
    Status save(const QString& path) const;

    // The stored form of a value, and back.
    static QString encodeValue(const QString& value);
    static QString decodeValue(const QString& stored);

private:
    struct Line {
        QString text;
        QString lineBreak;
        std::optional<QByteArray> raw; // the line's own bytes while it is untouched
    };
    struct KeyLine {
        qsizetype index = -1;
        qsizetype valueStart = 0; // where the value begins in the line's text
    };

    qsizetype findSection(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    KeyLine findKey(qsizetype header, const QString& key) const;
    void insertLine(qsizetype index, const QString& text);

    QList<Line> m_lines;
    QString m_newLine = QStringLiteral("\r\n");
    bool m_utf8Mark = false;
    std::optional<TextEncoding> m_utf16; // set when the file starts with a UTF-16 mark
    QByteArray m_oddByte;                // the last byte of a UTF-16 file of odd length
    std::optional<FileIdentity> m_identity;
};

} // namespace zuk
