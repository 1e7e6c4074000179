// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/case_form.h"

namespace zuk {

namespace {

bool isCapital(char32_t c) {
    return QChar::isUpper(c) || QChar::isTitleCase(c);
}
bool isCased(char32_t c) {
    return isCapital(c) || QChar::isLower(c);
}

} // namespace

CaseForm caseFormOf(QStringView find) {
    qsizetype letters = 0;
    qsizetype capitals = 0;
    bool firstCapital = false;
    for (const char32_t c : find.toUcs4()) {
        if (!isCased(c))
            continue;
        const bool capital = isCapital(c);
        if (letters++ == 0)
            firstCapital = capital;
        capitals += capital;
    }
    if (letters == 0)
        return CaseForm::AsTyped;
    if (capitals == 0)
        return CaseForm::Lower;
    if (capitals == letters)
        return CaseForm::Upper;
    if (capitals == 1 && firstCapital)
        return CaseForm::Capitalized;
    return CaseForm::AsTyped;
}

QList<QString> inCaseForm(QList<QString> replacement, CaseForm form) {
    bool first = true; // the first letter with a case is still to come
    for (QString& piece : replacement) {
        switch (form) {
        case CaseForm::Lower:
            piece = piece.toLower();
            break;
        case CaseForm::Upper:
            piece = piece.toUpper();
            break;
        case CaseForm::Capitalized:
            if (!first) {
                piece = piece.toLower();
                break;
            }
            // What stands before the first letter with a case has none to change.
            for (qsizetype i = 0; i < piece.size(); ++i) {
                const bool pair = piece[i].isHighSurrogate() && i + 1 < piece.size() &&
                                  piece[i + 1].isLowSurrogate();
                const char32_t c = pair ? QChar::surrogateToUcs4(piece[i], piece[i + 1])
                                        : char32_t(piece[i].unicode());
                if (isCased(c)) {
                    const qsizetype width = pair ? 2 : 1;
                    piece = piece.left(i) +
                            QStringView(QChar::fromUcs4(QChar::toTitleCase(c))).toString() +
                            piece.mid(i + width).toLower();
                    first = false;
                    break;
                }
                i += pair;
            }
            break;
        case CaseForm::AsTyped:
            break;
        }
    }
    return replacement;
}

} // namespace zuk
