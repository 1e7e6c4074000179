// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/literal_matcher.h"

#include "engine/text/line_breaks.h"

namespace zuk {

namespace {

std::shared_ptr<const SearchPattern> compiled(const QString& searchText) {
    thread_local QString text;
    thread_local std::shared_ptr<const SearchPattern> pattern;
    if (!pattern || text != searchText) {
        pattern = std::make_shared<const SearchPattern>(searchText);
        text = searchText;
    }
    return pattern;
}

// The replacement for one match. Its line breaks take the forms of those the match covered (the
// k-th like the k-th, further ones like the last), or the text's first form when it covered
// none. An inserted break never merges with a neighbour into one CR LF, so the number of line
// breaks changes only by what the replacement adds or removes: an LF that would follow a CR,
// or a CR that would end the replacement just before an LF, is written as CR LF instead (a
// CR LF can stand next to anything).
QString formReplacement(const QList<QString>& pieces, const QStringList& covered,
                        QStringView firstForm, char16_t before, char16_t after) {
    QString formed = pieces.front();
    for (qsizetype k = 1; k < pieces.size(); ++k) {
        QStringView form = covered.isEmpty() ? firstForm : covered[qMin(k, covered.size()) - 1];
        const char16_t previous = formed.isEmpty() ? before : formed.back().unicode();
        const bool endsReplacement = k + 1 == pieces.size() && pieces[k].isEmpty();
        if ((form == u"\n" && previous == u'\r') ||
            (form == u"\r" && endsReplacement && after == u'\n'))
            form = u"\r\n";
        formed += form;
        formed += pieces[k];
    }
    return formed;
}

} // namespace

LiteralMatcher::LiteralMatcher(const QString& searchText, const QString& replaceText)
    : m_pattern(compiled(searchText)), m_replaceText(replaceText),
      m_pieces(splitAtLineBreaks(replaceText)) {}

TextMatch LiteralMatcher::find(const Subject& subject, qsizetype from,
                               Qt::CaseSensitivity cs) const {
    return subject.inBytes ? m_pattern->findInBytes(subject.bytes, from, cs)
                           : m_pattern->findIn(subject.text, from, cs);
}

Matcher::ByteForm LiteralMatcher::byteForm() const {
    if (!m_pattern->isAscii())
        return ByteForm::Never;
    return m_pattern->foldsFromOutsideAscii() ? ByteForm::UnlessAsciiFolding : ByteForm::Exact;
}

std::optional<qsizetype> LiteralMatcher::longestMatch() const {
    return m_pattern->longestMatch();
}

const QString& LiteralMatcher::replacement(const Subject& subject, const TextMatch& match,
                                           const ReplacementSite& site) const {
    if (m_pieces.size() == 1)
        return m_replaceText;
    const QStringList covered = !m_pattern->hasLineBreaks() ? QStringList()
                                : subject.inBytes
                                    ? lineBreaksOf(subject.bytes, match.position, match.length)
                                    : lineBreaksOf(subject.text, match.position, match.length);
    m_formed = formReplacement(m_pieces, covered, site.firstLineBreak, site.before,
                               subject.unitAt(match.position + match.length));
    return m_formed;
}

} // namespace zuk
