// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_filter.h"
#include "engine/files/pattern_set.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zuk {

// Patterns the user gives for one walk, matched against paths below the walked directory
// ("/src" is the walked directory's own "src"). In each, the last pattern that matches decides.
//
// Exclude: a file or folder is left out when that pattern is a plain one, not a "!" one; a
// folder left out is not entered, and nothing in it is taken.
// Include: a file is taken when the last pattern that matches it or one of its folders is a
// plain one. A plain pattern names files ("*.js"), or with a trailing "/" folders whose files it
// takes ("src/"); a "!" pattern leaves out the files and the folders it matches ("!vendor"). A
// folder is not entered when such a "!" pattern decides about it and no plain pattern follows.
// When every pattern is a "!" one, a file none of them matches is taken: they only leave out.
class GlobFilter final : public FileFilter {
public:
    enum class Kind { Include, Exclude };

    // Patterns as given (bytes), in their order; a pattern that can match nothing is refused
    // with why.
    static Result<GlobFilter> make(Kind kind, const QString& walkedDirectory,
                                   const QList<QByteArray>& patterns);

    // A folder as the walk joined it and the name of an entry in it; a folder outside the
    // walked directory is none of this filter's business.
    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString& folder, const QString& name) const override;

    // The same for a path below the walked directory, "/"-separated bytes.
    bool takesPath(QByteArrayView path) const;
    bool entersPath(QByteArrayView path) const;

    // Some pattern is a plain one, so that the filter names files of its own (an include
    // filter of "!" patterns alone only leaves some out).
    bool namesFiles() const { return m_lastPlain >= 0; }

private:
    GlobFilter(Kind kind, const QString& walkedDirectory);
    std::optional<QByteArray> pathBelow(const QString& folder, const QString& name) const;

    Kind m_kind;
    QString m_walked;
    PatternSet m_patterns;
    qsizetype m_lastPlain = -1; // the position of the last plain pattern
};

} // namespace zuk
