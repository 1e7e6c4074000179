// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/replacement_template.h"

#include "engine/match/regex_syntax.h"

namespace zuk {

namespace {

Error templateError(const QString& replacement, qsizetype at, const QString& what) {
    return Error{ErrorNumber::InvalidArgument,
                 QStringLiteral("Invalid replacement at character %1: %2")
                     .arg(characterNumber(replacement, at))
                     .arg(what)};
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

Result<ReplacementTemplate>
ReplacementTemplate::parse(const QString& replacement, int groupCount,
                           const std::map<std::string, int>& groupNumbers) {
    ReplacementTemplate parsed;
    QString text;
    const auto flush = [&] {
        if (!text.isEmpty())
            parsed.m_parts.push_back({Part::Text, std::exchange(text, QString()), 0});
    };
    const qsizetype n = replacement.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = replacement[i];
        if (c == u'\r' || c == u'\n') {
            flush();
            parsed.m_parts.push_back({Part::LineBreak, QString(), 0});
            ++parsed.m_pieces;
            i += c == u'\r' && i + 1 < n && replacement[i + 1] == u'\n' ? 2 : 1;
            continue;
        }
        if (c != u'$' || i + 1 == n) {
            text += c;
            ++i;
            continue;
        }
        const QChar next = replacement[i + 1];
        if (next == u'$') {
            text += u'$';
            i += 2;
            continue;
        }
        QStringView reference;
        qsizetype end = i + 1;
        if (next == u'{') {
            const qsizetype close = replacement.indexOf(u'}', i + 2);
            if (close < 0)
                return templateError(replacement, i, QStringLiteral("\"${\" without its \"}\""));
            reference = QStringView(replacement).sliced(i + 2, close - i - 2);
            end = close + 1;
        } else {
            while (end < n && isAsciiDigit(replacement[end]))
                ++end;
            reference = QStringView(replacement).sliced(i + 1, end - i - 1);
        }
        if (reference.isEmpty() && next != u'{') {
            text += c; // a "$" that starts no reference
            ++i;
            continue;
        }
        int group = -1;
        if (!reference.isEmpty() && std::all_of(reference.begin(), reference.end(), isAsciiDigit)) {
            bool fits = false;
            group = reference.toInt(&fits);
            if (!fits || group > groupCount)
                return templateError(
                    replacement, i,
                    QStringLiteral("the regular expression has no group %1 (it has %2)")
                        .arg(reference)
                        .arg(groupCount));
        } else {
            const auto named = groupNumbers.find(reference.toString().toStdString());
            if (named == groupNumbers.end())
                return templateError(
                    replacement, i,
                    QStringLiteral("the regular expression has no group named \"%1\"")
                        .arg(reference));
            group = named->second;
        }
        flush();
        parsed.m_parts.push_back({Part::Group, QString(), group});
        parsed.m_usesGroups = true;
        i = end;
    }
    flush();
    return parsed;
}

QList<QString> ReplacementTemplate::expand(const QList<QString>& groups) const {
    QList<QString> pieces(1);
    for (const Part& part : m_parts) {
        switch (part.kind) {
        case Part::Text:
            pieces.back() += part.text;
            break;
        case Part::Group:
            if (part.group < groups.size())
                pieces.back() += groups[part.group];
            break;
        case Part::LineBreak:
            pieces.append(QString());
            break;
        }
    }
    return pieces;
}

} // namespace zuk
