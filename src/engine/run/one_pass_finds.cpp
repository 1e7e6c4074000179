// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/one_pass_finds.h"

#include <algorithm>
#include <vector>

namespace zuk {

namespace {

// A find in the subject as it was, and the units it takes in the text made so far.
struct Piece {
    Find find;
    qint64 madeLength = 0;
};

// `Units` is what the subject is made of (bytes or characters): `original(from, to)` a stretch
// of the subject as it was, `encode` a text in units, `decode` units as text.
template <class Units, class Original, class Encode, class Decode>
QList<Find> compose(const QList<Find>& finds, const QList<qsizetype>& passStarts, Original original,
                    Encode encode, Decode decode) {
    if (std::none_of(finds.begin(), finds.end(), [](const Find& f) { return f.replacement; })) {
        // Nothing moved: every find is where a pass met it.
        QList<Find> sorted = finds;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Find& a, const Find& b) { return a.offset < b.offset; });
        return sorted;
    }
    const auto madeOf = [&](const Piece& piece) {
        return piece.find.replacement
                   ? encode(*piece.find.replacement)
                   : original(piece.find.offset, piece.find.offset + piece.find.length);
    };
    QList<qsizetype> starts = passStarts;
    starts.prepend(0);
    starts.append(finds.size());
    std::vector<Piece> made;
    for (qsizetype pass = 0; pass + 1 < starts.size(); ++pass) {
        std::vector<Piece> next;
        next.reserve(made.size() + std::size_t(starts[pass + 1] - starts[pass]));
        std::size_t i = 0;
        qint64 shift = 0; // what the pieces before `i` added to the made text
        for (qsizetype f = starts[pass]; f < starts[pass + 1]; ++f) {
            const Find& find = finds[f];
            const qint64 from = find.offset;
            const qint64 to = find.offset + find.length;
            while (i < made.size() && made[i].find.offset + shift + made[i].madeLength <= from) {
                shift += made[i].madeLength - made[i].find.length;
                next.push_back(std::move(made[i++]));
            }
            // The pieces this find overlaps, and the stretch of the made text they all span.
            qint64 start = from;
            qint64 end = to;
            qint64 endShift = shift;
            std::size_t j = i;
            for (; j < made.size() && made[j].find.offset + endShift < end; ++j) {
                start = std::min(start, made[j].find.offset + endShift);
                end = std::max(end, made[j].find.offset + endShift + made[j].madeLength);
                endShift += made[j].madeLength - made[j].find.length;
            }
            if (j == i) {
                next.push_back(Piece{Find{from - shift, find.length, find.replacement},
                                     find.replacement ? qint64(encode(*find.replacement).size())
                                                      : find.length});
                continue;
            }
            Units stretch;
            qint64 at = start;
            qint64 s = shift;
            for (std::size_t k = i; k < j; ++k) {
                const qint64 pieceStart = made[k].find.offset + s;
                stretch += original(at - s, pieceStart - s);
                stretch += madeOf(made[k]);
                at = pieceStart + made[k].madeLength;
                s += made[k].madeLength - made[k].find.length;
            }
            stretch += original(at - s, end - s);
            const Units result = stretch.first(from - start) +
                                 (find.replacement ? encode(*find.replacement)
                                                   : stretch.sliced(from - start, to - from)) +
                                 stretch.sliced(to - start);
            next.push_back(
                Piece{Find{start - shift, (end - endShift) - (start - shift), decode(result)},
                      qint64(result.size())});
            i = j;
            shift = endShift;
        }
        for (; i < made.size(); ++i)
            next.push_back(std::move(made[i]));
        made = std::move(next);
    }
    QList<Find> out;
    out.reserve(qsizetype(made.size()));
    for (Piece& piece : made)
        out.append(std::move(piece.find));
    return out;
}

} // namespace

QList<Find> onePassFinds(const QByteArray& bytes, TextEncoding encoding, const QList<Find>& finds,
                         const QList<qsizetype>& passStarts) {
    if (passStarts.isEmpty())
        return finds;
    return compose<QByteArray>(
        finds, passStarts,
        [&](qint64 from, qint64 to) {
            return QByteArrayView(bytes).sliced(from, to - from).toByteArray();
        },
        [&](const QString& text) { return encodeText(text, encoding); },
        [&](const QByteArray& units) { return decodeBody(units, encoding); });
}

QList<Find> onePassFinds(QStringView text, const QList<Find>& finds,
                         const QList<qsizetype>& passStarts) {
    if (passStarts.isEmpty())
        return finds;
    return compose<QString>(
        finds, passStarts,
        [&](qint64 from, qint64 to) { return text.sliced(from, to - from).toString(); },
        [](const QString& units) { return units; }, [](const QString& units) { return units; });
}

StoredText storedText(QStringView text, TextEncoding encoding, const QList<Find>& finds) {
    // Each stretch between two ends of finds is encoded once, so the text is encoded once.
    std::vector<qint64> ends;
    ends.reserve(std::size_t(finds.size()) * 2);
    for (const Find& find : finds) {
        ends.push_back(find.offset);
        ends.push_back(find.offset + find.length);
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    StoredText stored{byteOrderMark(encoding), {}};
    std::vector<qint64> storedAt(ends.size());
    qint64 from = 0;
    for (std::size_t k = 0; k < ends.size(); ++k) {
        stored.bytes += encodeText(text.sliced(from, ends[k] - from), encoding);
        storedAt[k] = stored.bytes.size();
        from = ends[k];
    }
    stored.bytes += encodeText(text.sliced(from), encoding);
    const auto byteAt = [&](qint64 at) {
        return storedAt[std::size_t(std::lower_bound(ends.begin(), ends.end(), at) - ends.begin())];
    };
    stored.finds.reserve(finds.size());
    for (const Find& find : finds) {
        const qint64 start = byteAt(find.offset);
        stored.finds.append(
            Find{start, byteAt(find.offset + find.length) - start, find.replacement});
    }
    return stored;
}

} // namespace zuk
