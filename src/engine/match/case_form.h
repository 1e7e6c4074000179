// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace zuk {

// The form of a find's letters that a case-preserving replacement takes on; only letters with
// a case count.
enum class CaseForm {
    Lower,       // "cat"
    Upper,       // "CAT" (one capital alone is this too)
    Capitalized, // "Cat": the first letter a capital, the rest small
    AsTyped,     // any other form, or no letter with a case
};

CaseForm caseFormOf(QStringView find);

// `replacement` (as pieces between line breaks) in `form`.
QList<QString> inCaseForm(QList<QString> replacement, CaseForm form);

} // namespace zuk
