// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/whole_words.h"

#include "engine/text/text_codec.h"

namespace zuk {

namespace {

constexpr char32_t kInvalid = 0xFFFD;

bool isContinuation(uchar b) {
    return (b & 0xC0) == 0x80;
}

// The character whose UTF-8 form starts at `i`, and the bytes it takes.
std::pair<char32_t, qsizetype> utf8At(QByteArrayView text, qsizetype i) {
    const uchar lead = uchar(text[i]);
    if (lead < 0x80)
        return {lead, 1};
    const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size())
        return {kInvalid, 1};
    char32_t c = lead & (0x7F >> length);
    for (qsizetype k = 1; k < length; ++k) {
        if (!isContinuation(uchar(text[i + k])))
            return {kInvalid, 1};
        c = (c << 6) | (uchar(text[i + k]) & 0x3F);
    }
    return {c, length};
}

char32_t oneByteAt(QByteArrayView text, qsizetype i) {
    const uchar b = uchar(text[i]);
    return b < 0x80 ? b
                    : decodeBody(text.sliced(i, 1), TextEncoding::Windows1252).front().unicode();
}

char32_t characterBefore(QByteArrayView text, ByteText form, qsizetype position) {
    if (position <= 0)
        return 0;
    if (form == ByteText::OneByte)
        return oneByteAt(text, position - 1);
    qsizetype start = position - 1;
    while (start > 0 && position - start < 4 && isContinuation(uchar(text[start])))
        --start;
    const auto [c, length] = utf8At(text, start);
    return start + length == position ? c : kInvalid;
}

char32_t characterAt(QByteArrayView text, ByteText form, qsizetype position) {
    if (position >= text.size())
        return 0;
    return form == ByteText::OneByte ? oneByteAt(text, position) : utf8At(text, position).first;
}

bool isWord(char32_t c) {
    return c != 0 && isWordCharacter(c);
}

} // namespace

bool isWordCharacter(char32_t c) {
    return c == u'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isWholeWord(QStringView text, qsizetype position, qsizetype length) {
    char32_t before = 0;
    if (position > 0) {
        before = text[position - 1].unicode();
        if (QChar::isLowSurrogate(before) && position > 1 && text[position - 2].isHighSurrogate())
            before = QChar::surrogateToUcs4(text[position - 2], text[position - 1]);
    }
    char32_t after = 0;
    const qsizetype end = position + length;
    if (end < text.size()) {
        after = text[end].unicode();
        if (QChar::isHighSurrogate(after) && end + 1 < text.size() &&
            text[end + 1].isLowSurrogate())
            after = QChar::surrogateToUcs4(text[end], text[end + 1]);
    }
    return !isWord(before) && !isWord(after);
}

bool isWholeWord(QByteArrayView text, ByteText form, qsizetype position, qsizetype length) {
    return !wordCharacterBefore(text, form, position) &&
           !isWord(characterAt(text, form, position + length));
}

bool wordCharacterBefore(QByteArrayView text, ByteText form, qsizetype position) {
    return isWord(characterBefore(text, form, position));
}

qsizetype wholeWordRestart(QStringView searchText) {
    // A find that starts k units into this one follows its unit k - 1; case folding keeps a
    // letter a letter, and a line break (one unit or two) is not a word character.
    for (qsizetype k = 0; k < searchText.size(); ++k) {
        char32_t c = searchText[k].unicode();
        if (QChar::isHighSurrogate(c) && k + 1 < searchText.size() &&
            searchText[k + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(searchText[k], searchText[k + 1]);
            if (!isWordCharacter(c))
                return k + 2;
            ++k;
        } else if (!isWordCharacter(c)) {
            return k + 1;
        }
    }
    return searchText.size() + 1;
}

} // namespace zuk
