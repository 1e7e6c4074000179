// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/find_places.h"

#include <algorithm>

namespace zuk {

namespace {

// One pass over the subject: the line count and the line's start follow the finds, so a long
// line with many finds is read once.
template <class View, class Decode>
QList<FindPlace> placesIn(View units, qint64 bodyStart, const QList<Find>& finds, Decode decode) {
    const qint64 size = units.size();
    const auto text = [&](qint64 from, qint64 to) {
        from = std::max(from, bodyStart);
        return to > from ? decode(from, to) : QString();
    };
    const auto breakAt = [&](qint64 from) {
        const qint64 at = units.indexOf('\n', std::min(from, size));
        return at < 0 ? size : at;
    };

    QList<FindPlace> places;
    places.reserve(finds.size());
    qint64 line = 1;
    qint64 lineStart = 0;
    qint64 counted = 0; // the breaks before this are in `line`
    const auto advance = [&](qint64 to) {
        for (qint64 at = breakAt(counted); at < to; at = breakAt(at + 1)) {
            ++line;
            lineStart = at + 1;
        }
        counted = std::max(counted, to);
    };

    for (qsizetype i = 0; i < finds.size();) {
        // The finds that share a line, or lines joined by a find across a break.
        advance(finds[i].offset);
        const qint64 start = lineStart;
        const auto endOf = [&](const Find& f) {
            return breakAt(std::max(f.offset, f.offset + f.length - 1));
        };
        qint64 end = endOf(finds[i]);
        qsizetype j = i + 1;
        for (; j < finds.size() && finds[j].offset <= end; ++j)
            end = std::max(end, endOf(finds[j]));
        const qint64 shownEnd = end < size && end > start && units[end - 1] == '\r' ? end - 1 : end;

        const QString before = text(start, shownEnd);
        QString after;
        qint64 at = start;
        for (qsizetype k = i; k < j; ++k) {
            if (finds[k].replacement && finds[k].offset >= at) {
                after += text(at, finds[k].offset) + *finds[k].replacement;
                at = finds[k].offset + finds[k].length;
            }
        }
        after = at == start ? before : after + text(at, shownEnd);

        for (qsizetype k = i; k < j; ++k) {
            advance(finds[k].offset);
            places.append(FindPlace{line, finds[k].offset - lineStart + 1,
                                    text(finds[k].offset, finds[k].offset + finds[k].length),
                                    before, after});
        }
        i = j;
    }
    return places;
}

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

} // namespace

QList<FindPlace> findPlaces(QStringView text, const QList<Find>& finds) {
    return placesIn(text, 0, finds, [&](qint64 from, qint64 to) {
        return text.sliced(from, to - from).toString();
    });
}

QList<FindPlace> findPlaces(const QByteArray& bytes, TextEncoding encoding,
                            const QList<Find>& finds) {
    if (isUtf16(encoding)) {
        // Counted in characters after the mark, then given back in bytes as stored.
        const QString text = decodeBody(QByteArrayView(bytes).sliced(2), encoding);
        QList<Find> inText;
        inText.reserve(finds.size());
        for (const Find& find : finds)
            inText.append(Find{(find.offset - 2) / 2, find.length / 2, find.replacement});
        QList<FindPlace> places = findPlaces(text, inText);
        for (FindPlace& place : places)
            place.column = 2 * (place.column - 1) + (place.line == 1 ? 2 : 0) + 1;
        return places;
    }
    const QByteArrayView view(bytes);
    return placesIn(view, byteOrderMark(encoding).size(), finds, [&](qint64 from, qint64 to) {
        return decodeBody(view.sliced(from, to - from), encoding);
    });
}

QByteArray replacedBytes(const QByteArray& bytes, TextEncoding encoding, const QList<Find>& finds) {
    QByteArray out;
    out.reserve(bytes.size());
    qint64 at = 0;
    for (const Find& find : finds) {
        if (!find.replacement || find.offset < at)
            continue;
        out += QByteArrayView(bytes).sliced(at, find.offset - at);
        out += encodeText(*find.replacement, encoding);
        at = find.offset + find.length;
    }
    out += QByteArrayView(bytes).sliced(at);
    return out;
}

} // namespace zuk
