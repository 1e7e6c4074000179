// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/regex_syntax.h"

#include "engine/match/regex_text.h"

#include <QList>

#include <re2/re2.h>

namespace zuk {

namespace {

// The expression as code points, each typed line break as one LF, with where each stands.
struct CodePoints {
    std::vector<char32_t> cp;
    std::vector<qsizetype> at;
    qsizetype end = 0;

    char32_t operator[](size_t i) const { return i < cp.size() ? cp[i] : 0; }
    size_t size() const { return cp.size(); }
};

CodePoints codePointsOf(QStringView text) {
    CodePoints points;
    points.end = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype at = i;
        char32_t c = text[i].unicode();
        if (c == u'\r') {
            c = u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        points.cp.push_back(c);
        points.at.push_back(at);
    }
    return points;
}

bool isOctal(char32_t c) {
    return c >= u'0' && c <= u'7';
}

// The code points of the escape at `i` (its backslash included).
size_t escapeLength(const CodePoints& p, size_t i) {
    const char32_t kind = p[i + 1];
    size_t end = i + 2;
    if (kind == u'x' || kind == u'p' || kind == u'P') {
        if (p[end] == u'{') {
            while (end < p.size() && p[end] != u'}')
                ++end;
            ++end;
        } else {
            end += kind == u'x' ? 2 : 1;
        }
    } else if (isOctal(kind)) {
        for (int more = 0; more < 2 && isOctal(p[end]); ++more)
            ++end;
    }
    return std::min(end, p.size()) - i;
}

// The code points of the class that opens at `i`, its brackets included.
size_t classLength(const CodePoints& p, size_t i) {
    size_t j = i + 1;
    if (p[j] == u'^')
        ++j;
    if (p[j] == u']')
        ++j;
    while (j < p.size()) {
        if (p[j] == u'\\') {
            j += escapeLength(p, j);
        } else if (p[j] == u'[' && p[j + 1] == u':') {
            size_t close = j + 2;
            while (close + 1 < p.size() && !(p[close] == u':' && p[close + 1] == u']'))
                ++close;
            j = close + 1 < p.size() ? close + 2 : j + 1;
        } else if (p[j] == u']') {
            return j + 1 - i;
        } else {
            ++j;
        }
    }
    return p.size() - i;
}

// Whether the class or escape `atom` matches a line break, as RE2 reads it.
bool atomMatchesLineBreak(const std::string& atom) {
    RE2::Options options;
    options.set_log_errors(false);
    const RE2 re(atom, options);
    return !re.ok() || RE2::FullMatch("\n", re);
}

// The runs of literal characters at an expression's top, read token by token: a token that
// is not a plain ASCII character ends the current run, a repetition takes back the character
// it repeats, and an alternative there leaves no run required.
class RequiredRuns {
public:
    // A character outside escapes, classes and groups.
    void token(char32_t c) {
        if (c == u'|')
            m_alternative = true;
        else if (c == u'*' || c == u'+' || c == u'?' || c == u'{')
            repeat(c);
        else if (c == u'.' || c == u'^' || c == u'$' || c == u')')
            end();
        else
            add(c);
    }
    // A character as itself (a typed one, or an escaped punctuation mark).
    void add(char32_t c) {
        if (m_braces)
            m_braces = c != u'}';
        else if (!m_stopped && (c == u'\t' || (c >= 0x20 && c < 0x7F)))
            m_run += char(c);
        else
            end();
    }
    void end() {
        if (!m_run.empty())
            m_runs.push_back(std::move(m_run));
        m_run.clear();
    }
    // The case rule (or another flag) changes for the rest of the expression.
    void stop() {
        end();
        m_stopped = true;
    }
    std::vector<std::string> take() {
        end();
        return m_alternative ? std::vector<std::string>() : std::move(m_runs);
    }

private:
    // "*", "+", "?", or "{" (which may open a repetition, and its count is no literal).
    void repeat(char32_t c) {
        if (!m_run.empty())
            m_run.pop_back();
        end();
        m_braces = m_braces || c == u'{';
    }

    std::string m_run;
    std::vector<std::string> m_runs;
    bool m_braces = false;
    bool m_stopped = false;
    bool m_alternative = false;
};

bool isAsciiPunctuation(char32_t c) {
    return c > 0x20 && c < 0x7F && !(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z') &&
           !(c >= u'A' && c <= u'Z');
}

// Whether every character the class or escape `atom` matches is ASCII, as RE2 reads it under
// the case rule: the greatest text a match can be starts with an ASCII character.
bool atomIsAscii(const std::string& atom, bool withoutCase) {
    RE2::Options options;
    options.set_log_errors(false);
    options.set_case_sensitive(!withoutCase);
    const RE2 re(atom, options);
    std::string least;
    std::string greatest;
    return re.ok() && re.PossibleMatchRange(&least, &greatest, 4) &&
           (greatest.empty() || uchar(greatest.front()) < 0x80);
}

class Reader {
public:
    explicit Reader(QStringView expression) : m_p(codePointsOf(expression)) {}

    RegexSyntax read() {
        bool dotMatchesLineBreak = false;
        bool withoutCase = false;
        bool hasDot = false;
        std::vector<size_t> groups;
        size_t i = 0;
        while (i < m_p.size()) {
            const char32_t c = m_p[i];
            const bool top = groups.empty();
            if (c == u'\\' && i + 1 < m_p.size()) {
                if (top && isAsciiPunctuation(m_p[i + 1]))
                    m_runs.add(m_p[i + 1]);
                else if (top)
                    m_runs.end();
                i = escape(i);
            } else if (c == u'[') {
                if (top)
                    m_runs.end();
                const size_t length = classLength(m_p, i);
                m_syntax.canMatchLineBreak |= atomMatchesLineBreak(copy(i, i + length));
                atomCharacters(copy(i, i + length));
                i = emit(i, i + length);
            } else if (c == u'(') {
                size_t end = i + 1;
                bool group = true;
                if (m_p[end] == u'?') {
                    // (?P<name>, or flags ending in ':' (a group) or ')' (for the rest of this
                    // one).
                    const bool named = m_p[end + 1] == u'P';
                    bool negated = false;
                    while (++end < m_p.size()) {
                        const char32_t f = m_p[end];
                        if (named ? f == u'>' : f == u':' || f == u')')
                            break;
                        negated |= f == u'-';
                        dotMatchesLineBreak |= f == u's' && !negated;
                        withoutCase |= f == u'i' && !negated && !named;
                    }
                    group = named || m_p[end] == u':';
                    ++end;
                }
                if (top && group)
                    m_runs.end();
                else if (top)
                    m_runs.stop();
                if (group)
                    groups.push_back(i);
                i = emit(i, std::min(end, m_p.size()));
            } else {
                if (top)
                    m_runs.token(c);
                if (c == u')' && !groups.empty())
                    groups.pop_back();
                else if (c == u')' && m_syntax.unopenedClose < 0)
                    m_syntax.unopenedClose = m_p.at[i];
                hasDot |= c == u'.';
                character(c == u'.' ? char32_t(0x80) : c);
                m_syntax.canMatchLineBreak |= c == u'\n';
                i = emit(i, i + 1);
            }
        }
        m_syntax.canMatchLineBreak |= hasDot && dotMatchesLineBreak;
        if (withoutCase)
            m_syntax.asciiCharacters = m_syntax.asciiCharactersWithoutCase;
        if (!groups.empty())
            m_syntax.unclosedGroup = m_p.at[groups.back()];
        m_syntax.origin.push_back(m_p.end);
        m_syntax.requiredRuns = m_runs.take();
        return std::move(m_syntax);
    }

private:
    size_t escape(size_t i) {
        const char32_t kind = m_p[i + 1];
        if (kind == u'Q') {
            size_t end = i + 2;
            while (end < m_p.size() && !(m_p[end] == u'\\' && m_p[end + 1] == u'E')) {
                m_syntax.canMatchLineBreak |= m_p[end] == u'\n';
                character(m_p[end]);
                ++end;
            }
            m_syntax.openQuote = end >= m_p.size();
            return emit(i, std::min(end + 2, m_p.size()));
        }
        if (kind == u'r' && m_p[i + 2] == u'\\' && m_p[i + 3] == u'n') {
            m_syntax.canMatchLineBreak = true;
            m_syntax.utf8 += "\\n";
            m_syntax.origin.insert(m_syntax.origin.end(), 2, m_p.at[i]);
            return i + 4;
        }
        if (kind == u'C' && m_syntax.anyByte < 0)
            m_syntax.anyByte = m_p.at[i];
        const size_t length = escapeLength(m_p, i);
        m_syntax.canMatchLineBreak |= atomMatchesLineBreak(copy(i, i + length));
        atomCharacters(copy(i, i + length));
        return emit(i, i + length);
    }

    // A character that matches itself (or, for a dot, any character).
    void character(char32_t c) {
        const char32_t lower = c | 0x20;
        m_syntax.asciiCharacters &= c < 0x80;
        m_syntax.asciiCharactersWithoutCase &= c < 0x80 && lower != u'k' && lower != u's';
    }
    void atomCharacters(const std::string& atom) {
        m_syntax.asciiCharacters &= atomIsAscii(atom, false);
        m_syntax.asciiCharactersWithoutCase &= atomIsAscii(atom, true);
    }

    std::string copy(size_t from, size_t to) const {
        std::string out;
        for (size_t k = from; k < to; ++k)
            appendUtf8(out, m_p[k]);
        return out;
    }

    size_t emit(size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            const size_t before = m_syntax.utf8.size();
            appendUtf8(m_syntax.utf8, m_p[k]);
            m_syntax.origin.insert(m_syntax.origin.end(), m_syntax.utf8.size() - before, m_p.at[k]);
        }
        return to;
    }

    const CodePoints m_p;
    RegexSyntax m_syntax;
    RequiredRuns m_runs;
};

} // namespace

RegexSyntax readRegexSyntax(QStringView expression) {
    return Reader(expression).read();
}

qsizetype characterNumber(QStringView text, qsizetype index) {
    return text.left(index).toUcs4().size() + 1;
}

} // namespace zuk
