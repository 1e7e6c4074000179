// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_pattern.h"

#include "engine/match/regex_syntax.h"
#include "engine/match/whole_words.h"

#include <re2/re2.h>

#include <array>

namespace zuk {

namespace {

// Put before every expression: "^" and "$" at each line's ends.
constexpr std::string_view kPrefix = "(?m)";
// Around a whole word: a line's end, or a character that is not a word character.
constexpr std::string_view kNotWord = "[^\\p{L}\\p{M}\\p{N}_]";

Error expressionError(const QString& expression, qsizetype position, const QString& reason) {
    QString description = QStringLiteral("Invalid regular expression");
    if (position >= 0) {
        description +=
            QStringLiteral(" at character %1").arg(characterNumber(expression, position));
    }
    return Error{ErrorNumber::InvalidArgument, description + QStringLiteral(": ") + reason};
}

// RE2's reason, and where in the expression as typed it stands.
Error compileError(const QString& expression, const RegexSyntax& syntax, const RE2& re) {
    const std::string& message = re.error();
    const std::string& fragment = re.error_arg();
    std::string reason = message;
    if (!fragment.empty() && message.size() > fragment.size() + 2 &&
        message.compare(message.size() - fragment.size() - 2, std::string::npos, ": " + fragment) ==
            0)
        reason.resize(message.size() - fragment.size() - 2);

    // Offsets into the expression as RE2 got it, prefix included.
    const std::string_view compiled = re.pattern();
    qsizetype at = -1;
    switch (re.error_code()) {
    case RE2::ErrorMissingParen:
    case RE2::ErrorUnexpectedParen: {
        // RE2 quotes the whole expression: the scan knows which parenthesis.
        const qsizetype paren =
            re.error_code() == RE2::ErrorMissingParen ? syntax.unclosedGroup : syntax.unopenedClose;
        return expressionError(expression, paren, QString::fromStdString(reason));
    }
    case RE2::ErrorTrailingBackslash:
        at = qsizetype(compiled.size()) - 1;
        break;
    case RE2::ErrorPatternTooLarge:
        return Error{ErrorNumber::InvalidArgument,
                     QStringLiteral("The regular expression is too large")};
    default:
        if (!fragment.empty()) {
            const size_t found = compiled.find(fragment, kPrefix.size());
            if (found != std::string_view::npos)
                at = qsizetype(found);
        }
        break;
    }
    const auto origin = [&](qsizetype offset) {
        const qsizetype inBody = std::clamp<qsizetype>(offset - qsizetype(kPrefix.size()), 0,
                                                       qsizetype(syntax.origin.size()) - 1);
        return syntax.origin[size_t(inBody)];
    };
    QString text = QString::fromStdString(reason);
    if (at >= 0 && !fragment.empty()) {
        const qsizetype from = origin(at);
        const qsizetype to = origin(at + qsizetype(fragment.size()));
        text += QStringLiteral(": ") + expression.mid(from, to - from);
    }
    return expressionError(expression, at >= 0 ? origin(at) : -1, text);
}

std::unique_ptr<RE2> compiled(std::string_view pattern, Qt::CaseSensitivity cs) {
    RE2::Options options;
    options.set_log_errors(false);
    options.set_case_sensitive(cs == Qt::CaseSensitive);
    return std::make_unique<RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
}

// The longest of the runs every match holds, as the search under `cs` finds it; without case,
// runs are cut at "k" and "s", as the Kelvin sign and the long s fold to them. Shorter ones
// would find too many lines.
std::optional<SubstringFinder> requiredText(const std::vector<std::string>& runs,
                                            Qt::CaseSensitivity cs) {
    constexpr size_t kShortest = 2;
    std::string_view longest;
    for (const std::string& run : runs) {
        size_t start = 0;
        for (size_t i = 0; i <= run.size(); ++i) {
            const char lower = i < run.size() ? char(run[i] | 0x20) : 0;
            if (i < run.size() && (cs == Qt::CaseSensitive || (lower != 'k' && lower != 's')))
                continue;
            if (i - start > longest.size())
                longest = std::string_view(run).substr(start, i - start);
            start = i + 1;
        }
    }
    if (longest.size() < kShortest)
        return std::nullopt;
    return SubstringFinder(QString::fromLatin1(longest.data(), qsizetype(longest.size())),
                           cs == Qt::CaseSensitive ? SubstringFinder::Fold::None
                                                   : SubstringFinder::Fold::Ascii);
}

qsizetype nextCharacter(std::string_view text, qsizetype at) {
    const uchar lead = uchar(text[size_t(at)]);
    const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(at + length, qsizetype(text.size()));
}

} // namespace

RegexPattern::~RegexPattern() = default;

Result<std::shared_ptr<const RegexPattern>>
RegexPattern::compile(const QString& expression, Qt::CaseSensitivity cs, bool wholeWords) {
    const RegexSyntax syntax = readRegexSyntax(expression);
    std::shared_ptr<RegexPattern> pattern(new RegexPattern);
    pattern->m_plain = compiled(std::string(kPrefix) + syntax.utf8, cs);
    if (!pattern->m_plain->ok())
        return compileError(expression, syntax, *pattern->m_plain);
    if (syntax.anyByte >= 0)
        return expressionError(expression, syntax.anyByte,
                               QStringLiteral("\\C matches a single byte, which may split a "
                                              "character; it is not allowed"));
    pattern->m_canMatchLineBreak = syntax.canMatchLineBreak;
    if (!syntax.canMatchLineBreak)
        pattern->m_required = requiredText(syntax.requiredRuns, cs);
    // A run every match holds makes it not empty. The characters around it are ASCII or not
    // whichever way the bytes outside ASCII are read, but whether they are letters is not.
    pattern->m_asciiOnly =
        !wholeWords && !syntax.requiredRuns.empty() &&
        (cs == Qt::CaseSensitive ? syntax.asciiCharacters : syntax.asciiCharactersWithoutCase);
    pattern->m_groupCount = pattern->m_plain->NumberOfCapturingGroups();
    if (wholeWords) {
        // A "\Q" left open would quote what follows it.
        const std::string body = syntax.utf8 + (syntax.openQuote ? "\\E" : "");
        const std::string after = "(?-i:$|" + std::string(kNotWord) + ")";
        pattern->m_anchoredWord = compiled(std::string(kPrefix) + "(" + body + ")" + after, cs);
        pattern->m_word = compiled(std::string(kPrefix) + "(?-i:^|" + std::string(kNotWord) + ")(" +
                                       body + ")" + after,
                                   cs);
        for (const RE2* re : {pattern->m_anchoredWord.get(), pattern->m_word.get()}) {
            if (!re->ok())
                return compileError(expression, syntax, *re);
        }
    }
    return std::shared_ptr<const RegexPattern>(std::move(pattern));
}

const std::map<std::string, int>& RegexPattern::groupNumbers() const {
    return m_plain->NamedCapturingGroups();
}

bool RegexPattern::find(std::string_view text, qsizetype from, bool afterMatch, bool withGroups,
                        std::vector<Span>& spans, Seek& seek) const {
    // RE2 can't tell an empty group from one that took no part in a text without data.
    if (text.data() == nullptr)
        text = std::string_view("", 0);
    // A match that holds a text is never empty.
    if (m_required && seek.pays())
        return findAroundRequired(text, from, withGroups, spans, seek);
    return findAnywhere(text, from, afterMatch, withGroups, spans);
}

bool RegexPattern::findAnywhere(std::string_view text, qsizetype from, bool afterMatch,
                                bool withGroups, std::vector<Span>& spans) const {
    while (from <= qsizetype(text.size())) {
        if (!findOnce(text, from, qsizetype(text.size()), withGroups, spans))
            return false;
        if (!afterMatch || spans[0].begin != from || spans[0].end != from)
            return true;
        if (from == qsizetype(text.size()))
            return false;
        from = nextCharacter(text, from);
        afterMatch = false;
    }
    return false;
}

bool RegexPattern::findAroundRequired(std::string_view text, qsizetype from, bool withGroups,
                                      std::vector<Span>& spans, Seek& seek) const {
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    qsizetype at = from;
    while (at < bytes.size()) {
        const qsizetype hit = m_required->indexIn(bytes, at);
        if (hit < 0)
            return false;
        // A match holds no line break: one that holds this text lies in its line.
        qsizetype lineStart = at;
        if (at < seek.lineFrom || hit >= seek.lineEnd) {
            const size_t before = text.substr(size_t(at), size_t(hit - at)).rfind('\n');
            if (before != std::string_view::npos)
                lineStart = at + qsizetype(before) + 1;
            const size_t after = text.find('\n', size_t(hit));
            seek.lineFrom = lineStart;
            seek.lineEnd = after == std::string_view::npos ? bytes.size() : qsizetype(after);
        }
        const qsizetype lineEnd = seek.lineEnd;
        if (findOnce(text, lineStart, lineEnd, withGroups, spans)) {
            seek.passed += spans[0].end - at;
            return true;
        }
        seek.passed += lineEnd + 1 - at;
        ++seek.misses;
        at = lineEnd + 1;
        if (!seek.pays())
            return findAnywhere(text, std::min(at, bytes.size()), false, withGroups, spans);
    }
    return false;
}

bool RegexPattern::findOnce(std::string_view text, qsizetype from, qsizetype end, bool withGroups,
                            std::vector<Span>& spans) const {
    const int wanted = 1 + (withGroups ? m_groupCount : 0);
    // The match is group 1 of the whole-word forms.
    const int first = m_word ? 1 : 0;
    const int count = first + wanted;
    // Most expressions have few groups: no allocation per match for them.
    std::array<re2::StringPiece, 8> few;
    std::vector<re2::StringPiece> many(count > int(few.size()) ? size_t(count) : 0);
    re2::StringPiece* groups = many.empty() ? few.data() : many.data();
    const re2::StringPiece piece(text.data(), text.size());
    const auto search = [&](const RE2& re, RE2::Anchor anchor) {
        return re.Match(piece, size_t(from), size_t(end), anchor, groups, count);
    };
    bool found = false;
    if (!m_word) {
        found = search(*m_plain, RE2::UNANCHORED);
    } else {
        const QByteArrayView bytes(text.data(), qsizetype(text.size()));
        // At a line's start the unanchored form finds a match there too.
        const bool lineStart = from == 0 || text[size_t(from - 1)] == '\n';
        found = (!lineStart && !wordCharacterBefore(bytes, ByteText::Utf8, from) &&
                 search(*m_anchoredWord, RE2::ANCHOR_START)) ||
                search(*m_word, RE2::UNANCHORED);
    }
    if (!found)
        return false;
    spans.assign(size_t(wanted), Span{});
    for (int k = 0; k < wanted; ++k) {
        const re2::StringPiece& group = groups[size_t(first + k)];
        if (group.data() != nullptr) {
            const qsizetype begin = group.data() - text.data();
            spans[size_t(k)] = Span{begin, begin + qsizetype(group.size())};
        }
    }
    return true;
}

} // namespace zuk
