// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/preview_change.h"

#include "engine/files/file_identity.h"
#include "engine/run/replacement_routines.h"

#include <algorithm>

namespace zuk {

namespace {

// The lines of a text: where each starts.
class Lines {
public:
    explicit Lines(QStringView text) : m_text(text) {
        m_starts.append(0);
        for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
            m_starts.append(at + 1);
        // The break that ends the last line starts no line of its own.
        if (m_starts.size() > 1 && m_starts.back() == text.size())
            m_starts.removeLast();
    }
    qsizetype count() const { return m_starts.size(); }
    // The line holding the character at `at`.
    qsizetype of(qsizetype at) const {
        return std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin() - 1;
    }
    qsizetype start(qsizetype line) const { return m_starts[line]; }
    // Where the line's text ends, before its break.
    qsizetype end(qsizetype line) const {
        qsizetype to = line + 1 < count() ? m_starts[line + 1] - 1 : m_text.size();
        if (line + 1 == count() && to > start(line) && m_text[to - 1] == u'\n')
            --to; // the text's final break
        if (to > start(line) && m_text[to - 1] == u'\r' && to < m_text.size())
            --to;
        return to;
    }
    ChangeLine line(qsizetype line) const {
        return ChangeLine{
            line + 1, m_text.sliced(start(line), end(line) - start(line)).toString(), {}};
    }

private:
    QStringView m_text;
    QList<qsizetype> m_starts;
};

// Splits a changed stretch of text into its lines, each with the marks that fall on it.
QList<ChangeLine> splitMarked(const QString& text, const QList<ChangeSpan>& marks,
                              qint64 firstNumber) {
    QList<ChangeLine> out;
    const Lines lines(text);
    for (qsizetype i = 0; i < lines.count(); ++i) {
        ChangeLine line = lines.line(i);
        line.number = firstNumber + i;
        const qsizetype from = lines.start(i);
        const qsizetype to = lines.end(i);
        for (const ChangeSpan& mark : marks) {
            const qsizetype s = std::max(mark.start, from);
            const qsizetype e = std::min(mark.start + mark.length, to);
            if (e > s || (mark.length == 0 && mark.start >= from && mark.start <= to))
                line.marks.append(ChangeSpan{s - from, std::max<qsizetype>(e - s, 0)});
        }
        out.append(std::move(line));
    }
    return out;
}

// The file's bytes, unless its size or time say it changed since the preview.
Result<LoadedBytes> readAsPreviewed(const PreviewFile& file) {
    Result<LoadedBytes> read = readWholeFile(file.path);
    if (read && file.identity &&
        (read.value().identity.size != file.identity->size ||
         read.value().identity.mtimeNs != file.identity->mtimeNs))
        return changedOnDiskError();
    return read;
}

} // namespace

QList<ChangeHunk> changeHunks(QStringView text, const QList<TextFind>& finds, int context) {
    const Lines lines(text);
    QList<ChangeHunk> hunks;
    qint64 lineDelta = 0;    // lines the replacements before have added
    qsizetype shownUpTo = 0; // the first line not shown yet
    for (qsizetype i = 0; i < finds.size();) {
        if (!finds[i].replacement) {
            ++i;
            continue;
        }
        // The finds whose lines touch: one stretch of changed lines.
        const qsizetype first = lines.of(finds[i].start);
        qsizetype last = lines.of(finds[i].start + std::max<qsizetype>(finds[i].length - 1, 0));
        qsizetype j = i + 1;
        for (; j < finds.size() && lines.of(finds[j].start) <= last; ++j) {
            if (finds[j].replacement)
                last = std::max(
                    last, lines.of(finds[j].start + std::max<qsizetype>(finds[j].length - 1, 0)));
        }
        const qsizetype from = lines.start(first);
        const qsizetype to = lines.end(last);
        QString old = text.sliced(from, to - from).toString();
        QString made;
        QList<ChangeSpan> oldMarks, newMarks;
        qsizetype at = from;
        qint64 added = 0;
        for (qsizetype k = i; k < j; ++k) {
            const TextFind& find = finds[k];
            if (!find.replacement || find.start < at)
                continue;
            made += text.sliced(at, find.start - at);
            oldMarks.append(ChangeSpan{find.start - from, find.length});
            newMarks.append(ChangeSpan{made.size(), find.replacement->size()});
            made += *find.replacement;
            added +=
                find.replacement->count(u'\n') - text.sliced(find.start, find.length).count(u'\n');
            at = find.start + find.length;
        }
        made += text.sliced(at, to - at);

        ChangeHunk hunk;
        hunk.follows = !hunks.isEmpty() && first - context <= shownUpTo;
        for (qsizetype l = std::max(shownUpTo, first - context); l < first; ++l)
            hunk.before.append(lines.line(l));
        hunk.removed = splitMarked(old, oldMarks, first + 1);
        hunk.added = splitMarked(made, newMarks, first + 1 + lineDelta);
        const qsizetype afterEnd = std::min(lines.count(), last + 1 + context);
        // The lines after stop where the next change's lines begin.
        qsizetype next = afterEnd;
        for (qsizetype k = j; k < finds.size(); ++k) {
            if (finds[k].replacement) {
                next = std::min(next, lines.of(finds[k].start));
                break;
            }
        }
        for (qsizetype l = last + 1; l < next; ++l) {
            ChangeLine line = lines.line(l);
            line.number += lineDelta + added;
            hunk.after.append(std::move(line));
        }
        shownUpTo = next;
        lineDelta += added;
        hunks.append(std::move(hunk));
        i = j;
    }
    return hunks;
}

DecodedChange decodeChange(const QByteArray& bytes, const PreviewFile& file) {
    DecodedChange change;
    const QByteArrayView view(bytes);
    const qsizetype bodyStart = std::min(byteOrderMark(file.encoding).size(), bytes.size());
    qint64 at = bodyStart;
    for (const PreviewFind& one : file.finds) {
        const Find& find = one.find;
        if (find.offset < at || find.offset + find.length > bytes.size())
            continue;
        change.text += decodeBody(view.sliced(at, find.offset - at), file.encoding);
        const QString match = decodeBody(view.sliced(find.offset, find.length), file.encoding);
        change.finds.append(TextFind{change.text.size(), match.size(),
                                     one.ticked ? find.replacement : std::nullopt});
        change.text += match;
        at = find.offset + find.length;
    }
    change.text += decodeBody(view.sliced(at), file.encoding);
    return change;
}

Result<DecodedChange> remadeChange(const PreviewFile& file, const RunOptionValues& values) {
    class NoYield final : public YieldHook {
    public:
        void yield() override {}
    };
    ValueRunOptions options(values);
    RunState state;
    NoYield yield;
    ReplacementRoutines routines(options, state, yield);
    EditRequest request;
    request.inMemory = true;
    routines.setRequest(request);
    DecodedChange change;
    QString made;
    if (file.kind == ItemKind::RightBoxText) {
        change.text = file.originalText;
        Edit edit = routines.CleanTextCRLF(change.text, values.searchText, values.replaceText);
        made = edit.changed ? edit.text.text() : change.text;
    } else {
        Result<LoadedBytes> read = readAsPreviewed(file);
        if (!read)
            return read.error();
        const QByteArray& bytes = read.value().bytes;
        change.text = decodeBody(QByteArrayView(bytes).sliced(
                                     std::min(byteOrderMark(file.encoding).size(), bytes.size())),
                                 file.encoding);
        Edit edit = routines.CleanFileCRLF(file.path, values.searchText, values.replaceText);
        if (edit.result.failed())
            return *edit.result.error();
        made = edit.changed ? edit.text.text() : change.text;
    }
    qsizetype head = 0;
    const qsizetype most = std::min(change.text.size(), made.size());
    while (head < most && change.text[head] == made[head])
        ++head;
    qsizetype tail = 0;
    while (tail < most - head &&
           change.text[change.text.size() - 1 - tail] == made[made.size() - 1 - tail])
        ++tail;
    if (head < change.text.size() - tail || head < made.size() - tail)
        change.finds.append(TextFind{head, change.text.size() - tail - head,
                                     made.sliced(head, made.size() - tail - head)});
    return change;
}

Result<DecodedChange> decodeChange(const PreviewFile& file) {
    if (file.kind == ItemKind::RightBoxText) {
        DecodedChange change{file.originalText, {}};
        for (const PreviewFind& one : file.finds)
            change.finds.append(TextFind{qsizetype(one.find.offset), qsizetype(one.find.length),
                                         one.ticked ? one.find.replacement : std::nullopt});
        return change;
    }
    Result<LoadedBytes> read = readAsPreviewed(file);
    if (!read)
        return read.error();
    return decodeChange(read.value().bytes, file);
}

} // namespace zuk
