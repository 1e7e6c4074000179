// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zuk {

// The finds of an edit made in several passes (each after the first lying in the text the
// passes before it left), as finds in the subject as it was: in order, and where a later pass
// found in what an earlier one put, one find over the stretch both changed, whose replacement is
// what the passes made of it. Replacing them in one pass makes what the passes made. A search
// that replaced nothing keeps every find as it was, in order. `passStarts` as the edit gives
// them (none: the finds are returned as they are).
QList<Find> onePassFinds(const QByteArray& bytes, TextEncoding encoding, const QList<Find>& finds,
                         const QList<qsizetype>& passStarts);
QList<Find> onePassFinds(QStringView text, const QList<Find>& finds,
                         const QList<qsizetype>& passStarts);

// A text's finds (in characters) as finds in the bytes of `encoding` that hold it, its mark
// first: those bytes and the finds there.
struct StoredText {
    QByteArray bytes;
    QList<Find> finds;
};
StoredText storedText(QStringView text, TextEncoding encoding, const QList<Find>& finds);

} // namespace zuk
