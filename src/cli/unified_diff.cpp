// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/unified_diff.h"

#include <algorithm>
#include <vector>

namespace zuk {

namespace {

// Lines [first, last] of the old file become `text`.
struct Change {
    qsizetype first;
    qsizetype last;
    QByteArray text;
};

QList<QByteArrayView> linesOf(QByteArrayView text) {
    QList<QByteArrayView> lines;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = text.indexOf('\n', at);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        lines.append(text.sliced(at, next - at));
        at = next;
    }
    return lines;
}

class DiffWriter {
public:
    explicit DiffWriter(bool colour) : m_colour(colour) {}
    void line(char prefix, QByteArrayView text) {
        const bool broken = text.endsWith('\n');
        const char* colour = prefix == '-' ? "\x1b[31m" : prefix == '+' ? "\x1b[32m" : nullptr;
        if (m_colour && colour)
            out += colour;
        out += prefix;
        out += broken ? text.chopped(1) : text;
        if (m_colour && colour)
            out += "\x1b[0m";
        out += '\n';
        if (!broken)
            out += "\\ No newline at end of file\n";
    }
    void marked(const char* colour, const QByteArray& text) {
        out += m_colour ? colour + text + "\x1b[0m\n" : text + '\n';
    }
    QByteArray out;

private:
    bool m_colour;
};

} // namespace

QByteArray unifiedDiff(const QByteArray& oldName, const QByteArray& newName, const QByteArray& old,
                       TextEncoding encoding, const QList<Find>& finds, bool colour, int context) {
    const QList<QByteArrayView> lines = linesOf(old);
    std::vector<qint64> starts; // of each old line
    starts.reserve(lines.size());
    for (const QByteArrayView line : lines)
        starts.push_back(line.data() - old.constData());
    const auto lineOf = [&](qint64 offset) {
        return qsizetype(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) -
               1;
    };
    const auto endOf = [&](qsizetype line) {
        return line + 1 < lines.size() ? starts[line + 1] : qint64(old.size());
    };

    QList<Find> replaced;
    for (const Find& find : finds) {
        if (find.replacement)
            replaced.append(find);
    }
    std::vector<Change> changes;
    for (qsizetype i = 0; i < replaced.size();) {
        const auto lastLineOf = [&](const Find& f) {
            return lineOf(std::max(f.offset, f.offset + f.length - 1));
        };
        Change change{lineOf(replaced[i].offset), lastLineOf(replaced[i]), {}};
        qsizetype j = i;
        for (;;) {
            for (; j < replaced.size() && lineOf(replaced[j].offset) <= change.last; ++j)
                change.last = std::max(change.last, lastLineOf(replaced[j]));
            change.text.clear();
            qint64 at = starts[change.first];
            for (qsizetype k = i; k < j; ++k) {
                change.text += QByteArrayView(old).sliced(at, replaced[k].offset - at);
                change.text += encodeText(*replaced[k].replacement, encoding);
                at = replaced[k].offset + replaced[k].length;
            }
            change.text += QByteArrayView(old).sliced(at, endOf(change.last) - at);
            // A new text without its final break runs into the next line: that one changes too.
            if (change.text.endsWith('\n') || change.last + 1 >= lines.size())
                break;
            ++change.last;
        }
        const qint64 from = starts[change.first];
        if (QByteArrayView(old).sliced(from, endOf(change.last) - from) != change.text)
            changes.push_back(std::move(change));
        i = j;
    }
    if (changes.empty())
        return {};

    DiffWriter diff(colour);
    diff.marked("\x1b[1m", "--- " + oldName);
    diff.marked("\x1b[1m", "+++ " + newName);
    qsizetype shift = 0; // new lines minus old ones of the hunks written
    for (std::size_t c = 0; c < changes.size();) {
        std::size_t d = c + 1;
        while (d < changes.size() && changes[d].first - changes[d - 1].last - 1 <= 2 * context)
            ++d;
        const qsizetype first = std::max<qsizetype>(0, changes[c].first - context);
        const qsizetype last = std::min(lines.size() - 1, changes[d - 1].last + context);
        DiffWriter body(colour);
        qsizetype newCount = 0;
        std::size_t next = c;
        for (qsizetype line = first; line <= last;) {
            if (next < d && line == changes[next].first) {
                const Change& change = changes[next++];
                for (qsizetype gone = change.first; gone <= change.last; ++gone)
                    body.line('-', lines[gone]);
                const QList<QByteArrayView> made = linesOf(change.text);
                for (const QByteArrayView made_line : made)
                    body.line('+', made_line);
                newCount += made.size();
                line = change.last + 1;
            } else {
                body.line(' ', lines[line]);
                ++newCount;
                ++line;
            }
        }
        const qsizetype oldCount = last - first + 1;
        const qsizetype newStart = first + 1 + shift - (newCount == 0 ? 1 : 0);
        diff.marked("\x1b[36m", QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                                    .arg(first + 1)
                                    .arg(oldCount)
                                    .arg(newStart)
                                    .arg(newCount)
                                    .toLatin1());
        diff.out += body.out;
        shift += newCount - oldCount;
        c = d;
    }
    return diff.out;
}

QByteArray binaryDiff(const QByteArray& oldName, const QByteArray& newName) {
    return "Binary files " + oldName + " and " + newName + " differ\n";
}

} // namespace zuk
