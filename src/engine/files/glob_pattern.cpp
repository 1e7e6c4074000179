// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/glob_pattern.h"

#include "engine/files/path_bytes.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zuk {

namespace {

using ByteClass = std::array<std::uint64_t, 4>;

void addByte(ByteClass& set, unsigned char c) {
    set[c >> 6] |= std::uint64_t(1) << (c & 63);
}

bool hasByte(const ByteClass& set, unsigned char c) {
    return (set[c >> 6] >> (c & 63)) & 1;
}

// The named classes of "[[:name:]]", in the C locale: bytes from 0x80 up belong to none.
bool addNamedClass(ByteClass& set, QByteArrayView name) {
    struct Named {
        const char* name;
        bool (*holds)(int c);
    };
    static constexpr Named kNamed[] = {
        {"alnum", [](int c) { return std::isalnum(c) != 0; }},
        {"alpha", [](int c) { return std::isalpha(c) != 0; }},
        {"blank", [](int c) { return c == ' ' || c == '\t'; }},
        {"cntrl", [](int c) { return c < 0x20 || c == 0x7F; }},
        {"digit", [](int c) { return c >= '0' && c <= '9'; }},
        {"graph", [](int c) { return c > 0x20 && c < 0x7F; }},
        {"lower", [](int c) { return c >= 'a' && c <= 'z'; }},
        {"print", [](int c) { return c >= 0x20 && c < 0x7F; }},
        {"punct", [](int c) { return c > 0x20 && c < 0x7F && std::isalnum(c) == 0; }},
        {"space", [](int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }},
        {"upper", [](int c) { return c >= 'A' && c <= 'Z'; }},
        {"xdigit", [](int c) { return std::isxdigit(c) != 0; }},
    };
    for (const Named& named : kNamed) {
        if (name != QByteArrayView(named.name))
            continue;
        for (int c = 0; c < 0x80; ++c) {
            // isalnum and kin are asked of ASCII alone, where every locale agrees.
            if (named.holds(c))
                addByte(set, static_cast<unsigned char>(c));
        }
        return true;
    }
    return false;
}

// The refusal of a pattern; `why` ends the sentence "The pattern "..." ...".
Error invalidPattern(QString why) {
    return Error{ErrorNumber::InvalidArgument, std::move(why)};
}

// The line without its trailing blanks, but for one a backslash keeps.
QByteArrayView withoutTrailingSpaces(QByteArrayView line) {
    qsizetype end = 0;
    for (qsizetype i = 0; i < line.size();) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            i += 2;
            end = i;
        } else if (line[i] == ' ') {
            ++i;
        } else {
            end = ++i;
        }
    }
    return line.first(end);
}

enum class ClassEnd { Found, Unterminated, UnknownName };

// Reads the class that starts with the "[" at `start`; `end` gets the position past its "]".
// A "]" right after the opening (or its "!" or "^") is a member; "a-z" is a range, which holds
// its first byte even when written backwards; "[:name:]" is a named class.
ClassEnd readClass(QByteArrayView text, qsizetype start, qsizetype& end, ByteClass& set,
                   bool& negated) {
    set = {};
    qsizetype i = start + 1;
    negated = i < text.size() && (text[i] == '!' || text[i] == '^');
    if (negated)
        ++i;
    const qsizetype first = i;
    std::optional<unsigned char> previous; // a byte a following "-" may start a range from
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ']' && i > first) {
            end = i + 1;
            return ClassEnd::Found;
        }
        if (c == '-' && previous && i + 1 < text.size() && text[i + 1] != ']') {
            qsizetype last = i + 1;
            if (text[last] == '\\' && ++last >= text.size())
                return ClassEnd::Unterminated;
            const unsigned char to = static_cast<unsigned char>(text[last]);
            for (unsigned b = *previous; b <= to; ++b)
                addByte(set, static_cast<unsigned char>(b));
            previous.reset();
            i = last + 1;
            continue;
        }
        if (c == '[' && i + 1 < text.size() && text[i + 1] == ':') {
            const qsizetype close = text.indexOf(']', i + 2);
            if (close < 0)
                return ClassEnd::Unterminated;
            if (close >= i + 3 && text[close - 1] == ':') {
                if (!addNamedClass(set, text.sliced(i + 2, close - 1 - (i + 2))))
                    return ClassEnd::UnknownName;
                previous.reset();
                i = close + 1;
                continue;
            }
            // Not a named class after all: the "[" is a member like any other.
        }
        if (c == '\\') {
            if (++i >= text.size())
                return ClassEnd::Unterminated;
            c = static_cast<unsigned char>(text[i]);
        }
        addByte(set, c);
        previous = c;
        ++i;
    }
    return ClassEnd::Unterminated;
}

// Splits the pattern at its "/"s, except those inside a class (which match nothing there).
// Unterminated classes are left for the segment's compilation to refuse.
std::vector<QByteArrayView> splitAtSlashes(QByteArrayView body) {
    std::vector<QByteArrayView> parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i < body.size();) {
        ByteClass ignored;
        bool negated = false;
        qsizetype end = 0;
        if (body[i] == '\\' && i + 1 < body.size() && body[i + 1] != '/') {
            i += 2;
        } else if (body[i] == '[' && readClass(body, i, end, ignored, negated) == ClassEnd::Found) {
            i = end;
        } else if (body[i] == '/' || (body[i] == '\\' && i + 1 < body.size())) {
            // "\/" is a separator as well: no name holds a "/".
            parts.push_back(body.sliced(from, i - from));
            i += body[i] == '/' ? 1 : 2;
            from = i;
        } else {
            ++i;
        }
    }
    parts.push_back(body.sliced(from));
    return parts;
}

// Matches a pattern of units against a subject of units, where a star takes any run of them
// and every other unit exactly one. Greedy, with one place to go back to: each star takes as
// little as it can, and when what follows fails, the last star takes one unit more. An earlier
// star never needs to take more, since the last one can take whatever it would have; so each
// pair of pattern and subject units is tried at most once.
template <typename IsStar, typename Takes>
bool matchesGreedily(size_t patternSize, qsizetype subjectSize, IsStar isStar, Takes takes) {
    size_t p = 0;
    qsizetype i = 0;
    std::optional<size_t> star;
    qsizetype starFrom = 0;
    while (i < subjectSize) {
        if (p < patternSize && isStar(p)) {
            star = p++;
            starFrom = i;
        } else if (p < patternSize && takes(p, i)) {
            ++p;
            ++i;
        } else if (star) {
            p = *star + 1;
            i = ++starFrom;
        } else {
            return false;
        }
    }
    while (p < patternSize && isStar(p))
        ++p;
    return p == patternSize;
}

} // namespace

GlobPath::GlobPath(QByteArrayView relative) : path(relative), name(relative) {
    const char* const begin = relative.data();
    const char* const end = begin + relative.size();
    for (const char* at = begin;;) {
        const auto* slash = static_cast<const char*>(std::memchr(at, '/', size_t(end - at)));
        if (!slash) {
            name = QByteArrayView(at, end);
            ends.append(relative.size());
            return;
        }
        ends.append(slash - begin);
        at = slash + 1;
    }
}

Result<std::optional<GlobPattern>> GlobPattern::parse(QByteArrayView line, Syntax syntax) {
    if (line.isEmpty() || (syntax == Syntax::IgnoreFile && line.front() == '#'))
        return std::optional<GlobPattern>();
    QByteArrayView body = withoutTrailingSpaces(line);
    GlobPattern pattern;
    if (body.startsWith('!')) {
        pattern.m_negated = true;
        body = body.sliced(1);
    }
    if (body.endsWith('/')) {
        pattern.m_directoryOnly = true;
        body.chop(1);
    }
    pattern.m_anyDepth = !body.contains('/');
    if (body.startsWith('/'))
        body = body.sliced(1);
    if (body.isEmpty())
        return std::optional<GlobPattern>();

    const std::vector<QByteArrayView> parts =
        pattern.m_anyDepth ? std::vector<QByteArrayView>{body} : splitAtSlashes(body);
    for (const QByteArrayView part : parts) {
        if (!pattern.m_anyDepth && part == "**") {
            pattern.m_segments.push_back(Segment{Segment::AnyFolders, {}, {}});
            continue;
        }
        Result<Segment> segment = compileSegment(part, pattern.m_classes);
        if (!segment)
            return Error{
                segment.error().number,
                QStringLiteral("The pattern \"%1\" %2.")
                    .arg(displayPath(decodePath(line.toByteArray())), segment.error().description)};
        pattern.m_segments.push_back(std::move(segment).value());
    }
    // A trailing "/**" takes what is inside a folder, not the folder itself.
    if (pattern.m_segments.back().kind == Segment::AnyFolders)
        pattern.m_segments.insert(pattern.m_segments.end() - 1,
                                  Segment{Segment::Everything, {}, {}});
    return std::optional<GlobPattern>(std::move(pattern));
}

Result<GlobPattern::Segment> GlobPattern::compileSegment(QByteArrayView text,
                                                         std::vector<ByteClass>& classes) {
    Segment segment;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '*') {
            if (segment.tokens.empty() || segment.tokens.back().kind != Token::Star)
                segment.tokens.push_back(Token{Token::Star});
            ++i;
        } else if (c == '?') {
            segment.tokens.push_back(Token{Token::AnyByte});
            ++i;
        } else if (c == '[') {
            ByteClass set;
            bool negated = false;
            qsizetype end = 0;
            switch (readClass(text, i, end, set, negated)) {
            case ClassEnd::Unterminated:
                return invalidPattern(QStringLiteral("has a \"[\" without its \"]\""));
            case ClassEnd::UnknownName:
                return invalidPattern(QStringLiteral("names an unknown class"));
            case ClassEnd::Found:
                break;
            }
            if (negated) {
                for (std::uint64_t& word : set)
                    word = ~word;
            }
            segment.tokens.push_back(Token{Token::Class, 0, std::uint32_t(classes.size())});
            classes.push_back(set);
            i = end;
        } else {
            if (c == '\\' && ++i >= text.size())
                return invalidPattern(QStringLiteral("ends in a lone \"\\\""));
            segment.tokens.push_back(Token{Token::Byte, static_cast<std::uint8_t>(text[i])});
            ++i;
        }
    }

    // Most patterns are a name, "*" and an ending, or "*": those are compared directly.
    const auto plain = [](const Token& token) { return token.kind == Token::Byte; };
    const auto& tokens = segment.tokens;
    const bool starFirst = !tokens.empty() && tokens.front().kind == Token::Star;
    if (std::all_of(tokens.begin(), tokens.end(), plain)) {
        segment.kind = Segment::Literal;
    } else if (starFirst && tokens.size() == 1) {
        segment.kind = Segment::Everything;
    } else if (starFirst && std::all_of(tokens.begin() + 1, tokens.end(), plain)) {
        segment.kind = Segment::Suffix;
    }
    if (segment.kind != Segment::Glob) {
        for (const Token& token : tokens) {
            if (token.kind == Token::Byte)
                segment.literal += char(token.byte);
        }
        segment.tokens.clear();
    }
    return segment;
}

bool GlobPattern::matches(const GlobPath& path, bool isDirectory) const {
    if (m_directoryOnly && !isDirectory)
        return false;
    return m_anyDepth ? matchesSegment(m_segments.front(), path.name) : matchesPath(path);
}

bool GlobPattern::matchesSegment(const Segment& segment, QByteArrayView name) const {
    switch (segment.kind) {
    case Segment::Literal:
        return name == segment.literal;
    case Segment::Suffix:
        return name.endsWith(segment.literal);
    case Segment::Everything:
        return !name.isEmpty();
    case Segment::Glob:
        return matchesTokens(segment.tokens, name);
    case Segment::AnyFolders:
        break;
    }
    return false;
}

bool GlobPattern::matchesTokens(const std::vector<Token>& tokens, QByteArrayView name) const {
    const auto takes = [&](size_t t, qsizetype i) {
        const Token& token = tokens[t];
        const auto c = static_cast<unsigned char>(name[i]);
        switch (token.kind) {
        case Token::Byte:
            return token.byte == c;
        case Token::AnyByte:
            return true;
        case Token::Class:
            return hasByte(m_classes[token.classIndex], c);
        case Token::Star:
            break;
        }
        return false;
    };
    return matchesGreedily(
        tokens.size(), name.size(), [&](size_t t) { return tokens[t].kind == Token::Star; }, takes);
}

// One level up: components for bytes, "**" for "*", each other segment taking one component.
bool GlobPattern::matchesPath(const GlobPath& path) const {
    return matchesGreedily(
        m_segments.size(), path.ends.size(),
        [&](size_t s) { return m_segments[s].kind == Segment::AnyFolders; },
        [&](size_t s, qsizetype c) { return matchesSegment(m_segments[s], path.component(c)); });
}

} // namespace zuk
