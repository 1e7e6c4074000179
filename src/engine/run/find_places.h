// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zuk {

// Where a find lies, as a listing shows it. A line ends at its LF (a CR before it is part of
// its break); the first line is 1. The column counts the units of the subject as stored from
// the line's start (bytes of a file, its mark included; characters of a text), from 1.
struct FindPlace {
    qint64 line = 1;
    qint64 column = 1;
    QString match;  // the find's text
    QString before; // its line (or lines, when the find spans a break), without the break
    QString after;  // the same with every find on it replaced

    bool operator==(const FindPlace&) const = default;
};

// The places of a one-pass edit's finds, derived from the subject as it was before the edit:
// a file's bytes in `encoding`, or a text. The finds are in the order the loop met them.
QList<FindPlace> findPlaces(const QByteArray& bytes, TextEncoding encoding,
                            const QList<Find>& finds);
QList<FindPlace> findPlaces(QStringView text, const QList<Find>& finds);

// The bytes a one-pass edit of a one-byte or UTF-8 file makes of `bytes`.
QByteArray replacedBytes(const QByteArray& bytes, TextEncoding encoding, const QList<Find>& finds);

} // namespace zuk
