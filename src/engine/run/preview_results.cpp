// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/preview_results.h"

#include "engine/files/path_text.h"

#include <algorithm>

namespace zuk {

namespace {

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// Places the finds and where each shows in its line. `chars` counts the characters between two
// offsets of the subject as stored.
template <class Chars>
void placeFinds(QList<PreviewFind>& out, const QList<Find>& finds, const QList<FindPlace>& places,
                qint64 bodyStart, Chars chars) {
    out.reserve(finds.size());
    const QChar* group = nullptr; // the group's lines, shared by its finds
    qint64 at = 0;                // a stored offset in the group's text
    qsizetype atChars = 0;        // the characters before it there
    for (qsizetype i = 0; i < finds.size(); ++i) {
        const Find& find = finds[i];
        const FindPlace& place = places[i];
        if (i == 0 || group != place.before.constData()) {
            at = std::max(find.offset - (place.column - 1), bodyStart);
            atChars = 0;
        }
        group = place.before.constData();
        if (find.offset > at) {
            atChars += chars(at, find.offset);
            at = find.offset;
        }
        out.append(PreviewFind{find, place.line, place.before, atChars, place.match.size(), true});
    }
}

} // namespace

PreviewFile::Ticks PreviewFile::ticks() const {
    if (tickedFinds == 0)
        return Ticks::None;
    return tickedFinds == findCount ? Ticks::All : Ticks::Some;
}

bool PreviewResults::add(const KeptEdit& kept, bool wholeFileOnly) {
    const Edit& edit = kept.edit;
    if (kept.outcome.kind != SinkOutcome::Kind::Taken || edit.result.finds() < 1 ||
        edit.finds.isEmpty())
        return false;
    PreviewFile file;
    file.path = edit.path;
    file.kind = kept.kind;
    file.identity = edit.identity;
    file.encoding = edit.encoding;
    file.wholeFileOnly = wholeFileOnly;
    file.findCount = edit.finds.size();
    file.tickedFinds = file.findCount;
    if (kept.kind == ItemKind::RightBoxText)
        file.originalText = kept.originalText;
    if (wholeFileOnly) {
        file.finds.reserve(edit.finds.size());
        for (const Find& find : edit.finds)
            file.finds.append(PreviewFind{find, 0, {}, 0, 0, true});
    } else if (kept.kind == ItemKind::RightBoxText) {
        placeFinds(file.finds, edit.finds, findPlaces(kept.originalText, edit.finds), 0,
                   [](qint64 from, qint64 to) { return qsizetype(to - from); });
    } else {
        const QByteArray& bytes = kept.original;
        const QList<FindPlace> places = findPlaces(bytes, edit.encoding, edit.finds);
        if (isUtf16(edit.encoding)) {
            placeFinds(file.finds, edit.finds, places, 2,
                       [](qint64 from, qint64 to) { return qsizetype((to - from) / 2); });
        } else {
            const TextEncoding encoding = edit.encoding;
            placeFinds(file.finds, edit.finds, places, byteOrderMark(encoding).size(),
                       [&](qint64 from, qint64 to) {
                           return decodeBody(QByteArrayView(bytes).sliced(from, to - from),
                                             encoding)
                               .size();
                       });
        }
    }
    m_findCount += file.findCount;
    m_tickedCount += file.tickedFinds;
    m_byPath.insert(file.path, size());
    m_files.push_back(std::move(file));
    return true;
}

void PreviewResults::clear() {
    m_files.clear();
    m_byPath.clear();
    m_findCount = 0;
    m_tickedCount = 0;
}

const PreviewFile* PreviewResults::find(const QString& path) const {
    const auto it = m_byPath.constFind(path);
    return it == m_byPath.cend() ? nullptr : &m_files[std::size_t(*it)];
}

LineAfter PreviewResults::lineAfter(qsizetype file, qsizetype find) const {
    const QList<PreviewFind>& finds = m_files[std::size_t(file)].finds;
    const PreviewFind& one = finds[find];
    // The finds of one line share its text; an empty line has none to share.
    const auto sameLine = [&](qsizetype k) {
        return !one.text.isEmpty() && finds[k].text.constData() == one.text.constData();
    };
    qsizetype first = find;
    while (first > 0 && sameLine(first - 1))
        --first;
    LineAfter after;
    qsizetype at = 0;
    for (qsizetype k = first; k < finds.size() && (k == find || sameLine(k)); ++k) {
        const PreviewFind& f = finds[k];
        if (f.textStart < at) {
            // Overlapping finds, which only a search makes: nothing is replaced.
            if (k == find) {
                after.start = f.textStart;
                after.length = f.textLength;
            }
            continue;
        }
        after.text += QStringView(one.text).sliced(at, f.textStart - at);
        const bool replaced = f.ticked && f.find.replacement;
        if (k == find) {
            after.start = after.text.size();
            after.length = replaced ? f.find.replacement->size() : f.textLength;
        }
        after.text += replaced ? *f.find.replacement
                               : QStringView(one.text).sliced(f.textStart, f.textLength).toString();
        at = f.textStart + f.textLength;
    }
    after.text += QStringView(one.text).sliced(std::min(at, one.text.size()));
    return after;
}

void PreviewResults::setTicked(qsizetype file, qsizetype find, bool ticked) {
    PreviewFile& f = m_files[std::size_t(file)];
    if (f.wholeFileOnly) {
        setFileTicked(file, ticked);
        return;
    }
    PreviewFind& one = f.finds[find];
    if (one.ticked == ticked)
        return;
    one.ticked = ticked;
    const int step = ticked ? 1 : -1;
    f.tickedFinds += step;
    m_tickedCount += step;
}

void PreviewResults::setFileTicked(qsizetype file, bool ticked) {
    PreviewFile& f = m_files[std::size_t(file)];
    for (PreviewFind& one : f.finds)
        one.ticked = ticked;
    const qint64 now = ticked ? f.findCount : 0;
    m_tickedCount += now - f.tickedFinds;
    f.tickedFinds = now;
}

bool PreviewResults::takes(const QString& path, qint64 index) const {
    const PreviewFile* file = find(path);
    if (!file)
        return false;
    if (file->wholeFileOnly)
        return file->tickedFinds > 0;
    return index < file->finds.size() && file->finds[index].ticked;
}

PreviewSelection::PreviewSelection(const PreviewResults& results) {
    for (qsizetype i = 0; i < results.size(); ++i) {
        const PreviewFile& file = results.at(i);
        if (file.tickedFinds == 0 || file.path.isEmpty())
            continue;
        m_files.insert(file.path);
        for (qsizetype at = file.path.size() - 1; at > 0; --at) {
            if (isPathSeparator(file.path[at]))
                m_folders.insert(file.path.first(at));
        }
    }
}

bool PreviewSelection::takesFile(const QString& folder, const QString& name) const {
    return m_files.contains(folder + nativeSeparator() + name);
}

bool PreviewSelection::entersFolder(const QString& folder, const QString& name) const {
    return m_folders.contains(folder + nativeSeparator() + name);
}

PreviewApplySink::PreviewApplySink(const PreviewResults& results, EditSink& commit,
                                   RunWindow& window)
    : m_results(results), m_commit(commit), m_window(window) {}

EditRequest PreviewApplySink::request() const {
    EditRequest request = m_commit.request();
    request.collectFinds = true;
    const PreviewResults* results = &m_results;
    request.take = [results](const QString& subject, qint64 index) {
        return results->takes(subject, index);
    };
    return request;
}

Status PreviewApplySink::sameAsPreviewed(const Edit& edit, const PreviewFile& file,
                                         ItemKind kind) const {
    if (kind == ItemKind::RightBoxText) {
        if (m_window.rightBoxText() != file.originalText)
            return pathFileAccessError(QStringLiteral("the text changed since the preview"));
    } else if (!edit.identity || !file.identity || edit.identity->device != file.identity->device ||
               edit.identity->inode != file.identity->inode ||
               edit.identity->size != file.identity->size ||
               edit.identity->mtimeNs != file.identity->mtimeNs) {
        return changedOnDiskError();
    }
    // The same bytes give the same finds: others mean the subject is not the one previewed.
    qsizetype next = 0;
    for (const PreviewFind& one : file.finds) {
        if (!one.ticked && !file.wholeFileOnly)
            continue;
        if (next >= edit.finds.size())
            return changedOnDiskError();
        const Find& made = edit.finds[next++];
        if (made.offset != one.find.offset || made.length != one.find.length ||
            made.replacement != one.find.replacement)
            return changedOnDiskError();
    }
    return next == edit.finds.size() ? Status() : Status(changedOnDiskError());
}

SinkOutcome PreviewApplySink::take(Edit& edit, ItemKind kind, RunCounters& counters) {
    const PreviewFile* file = m_results.find(edit.path);
    // A subject the preview had no finds in, or none ticked, is left alone and not counted.
    if (!file || file->tickedFinds == 0)
        return SinkOutcome::taken();
    if (edit.result.counted()) {
        if (const Status same = sameAsPreviewed(edit, *file, kind); !same) {
            counters.totFiles += 1;
            return SinkOutcome::subjectFailed(same.error(), kind == ItemKind::RightBoxText
                                                                ? m_window.rightBoxSubject()
                                                                : edit.path);
        }
    }
    return m_commit.take(edit, kind, counters);
}

} // namespace zuk
