// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zuk {

// A path as a pattern sees it: bytes, folders joined by "/", relative to the folder the pattern
// belongs to, without a leading or trailing "/".
struct GlobPath {
    explicit GlobPath(QByteArrayView relative);
    QByteArrayView path;
    QByteArrayView name; // the last component
    // Where each component ends, found once for all the patterns asked.
    QVarLengthArray<qsizetype, 16> ends;

    QByteArrayView component(qsizetype index) const {
        const qsizetype start = index == 0 ? 0 : ends[index - 1] + 1;
        return path.sliced(start, ends[index] - start);
    }
};

// One pattern in the syntax of ignore files. Names are bytes: "?" takes one byte, "*" any run
// of bytes within a name, "[...]" one byte of a class ("!" or "^" first negates; ranges, and
// the classes "[:alpha:]" and kin), "\" makes the next byte plain. "**" as a whole component
// crosses folders ("**/a", "a/**/b": none or more folders; a trailing "/**": one or more);
// elsewhere it is "*". A leading "!" negates the pattern, a trailing "/" makes it match folders
// only. Without a "/" (a trailing one aside) the pattern matches a name at any depth;
// otherwise it matches the whole path from its folder (a leading "/" only says so).
//
// Matching takes time in proportion to the pattern's length times the path's at worst: a "*"
// or "**" is never tried again from more than one place.
class GlobPattern {
public:
    // Ignore files hold comments ("#" first); arguments and window fields hold one pattern each,
    // where "#" is a plain character.
    enum class Syntax { IgnoreFile, Argument };

    // A line without its line break. Nothing for a blank line or a comment; an error, saying
    // why, for a pattern that can match nothing ("[" without "]", a lone "\" at the end, an
    // unknown "[:class:]").
    static Result<std::optional<GlobPattern>> parse(QByteArrayView line, Syntax syntax);

    bool negated() const { return m_negated; }
    bool directoryOnly() const { return m_directoryOnly; }
    // Matches the name alone, at any depth.
    bool matchesAnyDepth() const { return m_anyDepth; }
    bool matches(const GlobPath& path, bool isDirectory) const;

private:
    struct Token {
        enum Kind : std::uint8_t { Byte, AnyByte, Star, Class };
        Kind kind;
        std::uint8_t byte = 0;        // Byte
        std::uint32_t classIndex = 0; // Class
    };
    // One "/"-separated component of the pattern.
    struct Segment {
        enum Kind : std::uint8_t { Literal, Suffix, Everything, Glob, AnyFolders };
        Kind kind = Glob;
        QByteArray literal; // Literal: the name; Suffix ("*" then plain bytes): the end
        std::vector<Token> tokens;
    };
    using ByteClass = std::array<std::uint64_t, 4>;

    GlobPattern() = default;
    static Result<Segment> compileSegment(QByteArrayView text, std::vector<ByteClass>& classes);
    bool matchesSegment(const Segment& segment, QByteArrayView name) const;
    bool matchesTokens(const std::vector<Token>& tokens, QByteArrayView name) const;
    bool matchesPath(const GlobPath& path) const;

    std::vector<Segment> m_segments;
    std::vector<ByteClass> m_classes;
    bool m_negated = false;
    bool m_directoryOnly = false;
    bool m_anyDepth = false;
};

} // namespace zuk
