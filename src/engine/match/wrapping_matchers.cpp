// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/wrapping_matchers.h"

#include "engine/match/case_form.h"
#include "engine/match/whole_words.h"
#include "engine/text/text_codec.h"

#include <algorithm>

namespace zuk {

WholeWordMatcher::WholeWordMatcher(std::unique_ptr<const Matcher> inner, const QString& searchText)
    : m_inner(std::move(inner)), m_restart(std::max<qsizetype>(1, wholeWordRestart(searchText))) {}

TextMatch WholeWordMatcher::find(const Subject& subject, qsizetype from,
                                 Qt::CaseSensitivity cs) const {
    for (;;) {
        const TextMatch match = m_inner->find(subject, from, cs);
        if (!match.found())
            return match;
        const bool whole =
            subject.inBytes
                ? isWholeWord(subject.bytes, subject.byteText, match.position, match.length)
                : isWholeWord(subject.text, match.position, match.length);
        if (whole)
            return match;
        // The search text is ASCII in the byte form, so characters and bytes count alike.
        from = match.position + m_restart;
    }
}

Matcher::ByteForm WholeWordMatcher::byteForm() const {
    const ByteForm inner = m_inner->byteForm();
    return inner == ByteForm::Never ? inner : ByteForm::UnlessAsciiFolding;
}

std::optional<qsizetype> WholeWordMatcher::longestMatch() const {
    const std::optional<qsizetype> inner = m_inner->longestMatch();
    if (!inner)
        return inner;
    return *inner + 3;
}

const QString& CasePreservingMatcher::replacement(const Subject& subject, const TextMatch& match,
                                                  const ReplacementSite& site) const {
    const QString& typed = m_inner->replacement(subject, match, site);
    QString find;
    if (!subject.inBytes) {
        find = subject.text.sliced(match.position, match.length).toString();
    } else {
        const QByteArrayView bytes = subject.bytes.sliced(match.position, match.length);
        find = decodeBody(bytes, subject.byteText == ByteText::Utf8 ? TextEncoding::Utf8
                                                                    : TextEncoding::Windows1252);
    }
    const CaseForm form = caseFormOf(find);
    if (form == CaseForm::AsTyped)
        return typed;
    m_formed = inCaseForm({typed}, form).front();
    return m_formed;
}

} // namespace zuk
