// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QList>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace zuk {

// A regular expression's replacement: "$1" or "${1}" puts in a group's text ($0 the whole
// match), "${name}" that of the group named so, "$$" a dollar sign; a "$" in any other place
// stands for itself. Read once, put together for each match.
class ReplacementTemplate {
public:
    // Refuses a reference to a group the expression lacks, and a "${" without its "}", naming
    // the character where it stands.
    static Result<ReplacementTemplate> parse(const QString& replacement, int groupCount,
                                             const std::map<std::string, int>& groupNumbers);

    // Whether some group is put in; when not, every match gets the same text.
    bool usesGroups() const { return m_usesGroups; }
    bool hasLineBreaks() const { return m_pieces > 1; }

    // The replacement for one match, between the line breaks typed in the template (a group's
    // own line breaks stay inside its piece, as the subject has them). `groups[k]` is group k's
    // text; a group beyond the list, or that took no part, gives nothing.
    QList<QString> expand(const QList<QString>& groups) const;

private:
    struct Part {
        enum Kind { Text, Group, LineBreak } kind;
        QString text;
        int group = 0;
    };

    std::vector<Part> m_parts;
    qsizetype m_pieces = 1;
    bool m_usesGroups = false;
};

} // namespace zuk
