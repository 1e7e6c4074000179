// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#include <string>
#include <vector>

namespace zuk {

// What a regular expression says beyond what RE2 reports, read from its text as typed.
struct RegexSyntax {
    // The expression as RE2 compiles it, in UTF-8: each line break typed in it (CR LF, LF or CR)
    // and each "\r\n" written as "\n", since the text it searches shows every line break as one
    // "\n".
    std::string utf8;
    // For each byte of `utf8`, and one past its end, the index in the expression as typed.
    std::vector<qsizetype> origin;
    // Whether some match may hold a line break: then the expression can't be applied line by
    // line. When in doubt, true.
    bool canMatchLineBreak = false;
    // Runs of ASCII characters that every match holds exactly as typed, outside any group
    // and before any change of the case rule; none when the expression has alternatives.
    std::vector<std::string> requiredRuns;
    // Whether every character a match may hold is ASCII, with the case rule on and without it
    // (a "(?i)" in the expression counts as without for both).
    bool asciiCharacters = true;
    bool asciiCharactersWithoutCase = true;
    // Where "\C" (any byte, which can split a character) stands; -1: nowhere.
    qsizetype anyByte = -1;
    // A "\Q" without its "\E", which quotes whatever follows the expression.
    bool openQuote = false;
    // The innermost "(" left open, and the first ")" that closes none; -1: none.
    qsizetype unclosedGroup = -1;
    qsizetype unopenedClose = -1;
};

RegexSyntax readRegexSyntax(QStringView expression);

// The number, from 1, of the character that starts at `index` of `text` (a pair of surrogates
// is one character), as a message names it.
qsizetype characterNumber(QStringView text, qsizetype index);

} // namespace zuk
