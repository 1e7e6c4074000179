// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <vector>

namespace zuk {

// Finds one text in another in time linear in both, whatever they hold: a scan for the
// needle's rarest unit (memchr), or in bytes for its two rarest units at once, finds the
// candidates of the common case, and when checking candidates costs more than the ground they
// cover, the Two-Way algorithm takes over.
class SubstringFinder {
public:
    enum class Fold {
        None,  // exact
        Ascii, // A-Z as a-z (the byte form)
        Full,  // Unicode simple case folding of each UTF-16 unit, as Qt compares without case: a
               // low surrogate after a high one folds as their pair, also when the high one
               // stands before `from`
    };

    SubstringFinder() = default;
    // `needle` must not be empty. For the byte form it must be ASCII.
    SubstringFinder(QStringView needle, Fold fold);

    qsizetype indexIn(QByteArrayView haystack, qsizetype from) const;
    qsizetype indexIn(QStringView haystack, qsizetype from) const;
    qsizetype size() const { return qsizetype(m_needle.size()); }

private:
    template <typename Unit, typename FoldUnit, typename Scan>
    qsizetype search(const Unit* hay, qsizetype n, qsizetype from, FoldUnit fold, Scan scan) const;
    template <typename Unit, typename FoldUnit>
    qsizetype twoWay(const Unit* hay, qsizetype n, qsizetype from, FoldUnit fold) const;

    std::vector<char32_t> m_needle; // folded; a pair's low surrogate as the folded character
    Fold m_fold = Fold::None;
    qsizetype m_ell = 0;    // the critical factorisation: needle[0..m_ell] | needle[m_ell+1..]
    qsizetype m_period = 1; // of the needle when m_periodic, else the shift past a mismatch
    bool m_periodic = false;
    qsizetype m_rare = -1;   // index of the unit scanned for first; -1: no scan
    qsizetype m_second = -1; // the next rarest, tested with it in the byte form; -1: none
};

} // namespace zuk
