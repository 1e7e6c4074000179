// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/match/text_match.h"

#include <QByteArrayView>
#include <QStringView>

namespace zuk {

// What a whole word is made of: letters (with their combining marks), digits and the
// underscore, in any script.
bool isWordCharacter(char32_t c);

// Whether the characters on either side of [position, position + length) are not word
// characters (the text's ends count as such).
bool isWholeWord(QStringView text, qsizetype position, qsizetype length);
bool isWholeWord(QByteArrayView text, ByteText form, qsizetype position, qsizetype length);
// Whether the character that ends at `position` is a word character.
bool wordCharacterBefore(QByteArrayView text, ByteText form, qsizetype position);

// How far past the start of a find of `searchText` that is not a whole word the next whole-word
// find can start: any find that starts sooner follows a word character of this one. Linear
// however the finds overlap.
qsizetype wholeWordRestart(QStringView searchText);

} // namespace zuk
