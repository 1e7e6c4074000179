// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_matcher.h"

#include "engine/match/literal_matcher.h"
#include "engine/text/text_codec.h"

namespace zuk {

namespace {

RegexText seenAsExpression(const Subject& subject) {
    if (!subject.inBytes)
        return RegexText::ofText(subject.text);
    return subject.byteText == ByteText::Utf8 ? RegexText::ofUtf8(subject.bytes)
                                              : RegexText::ofOneByte(subject.bytes);
}

struct CompiledPair {
    std::shared_ptr<const RegexPattern> sensitive;
    std::shared_ptr<const RegexPattern> insensitive;
};

// A run searches file after file for the same expression: the last one compiled is kept per
// thread. Both case rules are compiled at once, as the rule may change during a run.
Result<CompiledPair> compiled(const QString& expression, bool wholeWords) {
    thread_local QString text;
    thread_local bool words = false;
    thread_local std::optional<CompiledPair> pair;
    if (pair && text == expression && words == wholeWords)
        return *pair;
    auto sensitive = RegexPattern::compile(expression, Qt::CaseSensitive, wholeWords);
    if (!sensitive)
        return sensitive.error();
    auto insensitive = RegexPattern::compile(expression, Qt::CaseInsensitive, wholeWords);
    if (!insensitive)
        return insensitive.error();
    pair = CompiledPair{sensitive.value(), insensitive.value()};
    text = expression;
    words = wholeWords;
    return *pair;
}

} // namespace

Result<std::unique_ptr<RegexMatcher>>
RegexMatcher::make(const QString& expression, const QString& replacement, bool wholeWords) {
    const Result<CompiledPair> patterns = compiled(expression, wholeWords);
    if (!patterns)
        return patterns.error();
    const RegexPattern& pattern = *patterns.value().sensitive;
    Result<ReplacementTemplate> parsed =
        ReplacementTemplate::parse(replacement, pattern.groupCount(), pattern.groupNumbers());
    if (!parsed)
        return parsed.error();
    return std::unique_ptr<RegexMatcher>(new RegexMatcher(
        patterns.value().sensitive, patterns.value().insensitive, std::move(parsed.value())));
}

RegexMatcher::RegexMatcher(std::shared_ptr<const RegexPattern> sensitive,
                           std::shared_ptr<const RegexPattern> insensitive,
                           ReplacementTemplate replacement)
    : m_sensitive(std::move(sensitive)), m_insensitive(std::move(insensitive)),
      m_template(std::move(replacement)) {}

void RegexMatcher::newSubject() const {
    m_search.reset();
    m_lastEnd = -1;
}

TextMatch RegexMatcher::find(const Subject& subject, qsizetype from, Qt::CaseSensitivity cs) const {
    if (!m_search || m_searchCase != cs) {
        m_search.emplace(cs == Qt::CaseSensitive ? m_sensitive : m_insensitive,
                         seenAsExpression(subject));
        m_searchCase = cs;
    }
    m_last = m_search->find(from, from == m_lastEnd, m_template.usesGroups());
    if (!m_last.found())
        return {};
    m_lastEnd = m_last.position + m_last.length;
    return {m_last.position, m_last.length};
}

const QString& RegexMatcher::replacement(const Subject& subject, const TextMatch& match,
                                         const ReplacementSite& site) const {
    QList<QString> groups;
    if (m_template.usesGroups()) {
        groups.reserve(qsizetype(m_last.groups.size()));
        for (const RegexPattern::Span& span : m_last.groups) {
            if (!span.found())
                groups.append(QString());
            else if (!subject.inBytes)
                groups.append(subject.text.sliced(span.begin, span.end - span.begin).toString());
            else
                groups.append(decodeBody(subject.bytes.sliced(span.begin, span.end - span.begin),
                                         subject.byteText == ByteText::Utf8
                                             ? TextEncoding::Utf8
                                             : TextEncoding::Windows1252));
        }
    }
    m_formed = formReplacement(m_template.expand(groups), subject, match, site, true);
    return m_formed;
}

Status checkRegex(const QString& expression, const QString& replacement, bool wholeWords) {
    const Result<std::unique_ptr<RegexMatcher>> made =
        RegexMatcher::make(expression, replacement, wholeWords);
    if (!made)
        return made.error();
    return {};
}

} // namespace zuk
