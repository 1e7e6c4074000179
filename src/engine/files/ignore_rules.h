// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/git_index.h"
#include "engine/files/pattern_set.h"

#include <QByteArray>
#include <QList>

#include <memory>

namespace zuk {

// An ignore file that is there but can't be read (no permission, a symbolic link): it is passed
// over, as git does, and the caller says so.
struct IgnoreFileProblem {
    QByteArray path;
    Error error;
};

// What git leaves out in one folder of a walk. The patterns of the ignore files of this folder
// and of every folder above it up to the repository's top (".gitignore", then ".ignore", in
// each) decide, the nearer folder's over those above; then the repository's "info/exclude".
// ".git" and a folder holding a ".git" of its own (another repository, which git lists as one
// entry) are left out as well. The files the repository's index tracks are taken all the same,
// as git lists them. Outside a repository the walked directory is the top.
//
// The walk asks before it opens a folder, and enters only those let in, so nothing below an
// excluded folder is ever read. Rules are never changed once made: the walk's threads share
// them.
class IgnoreRules : public std::enable_shared_from_this<IgnoreRules> {
public:
    using Ptr = std::shared_ptr<const IgnoreRules>;

    // The rules in force in `directory` (the system's bytes). When a folder between the
    // repository's top and `directory` is excluded, so is everything in it.
    static Ptr forDirectory(const QByteArray& directory);

    // A file the repository tracks is never excluded, whatever the patterns say; nor is a
    // folder that holds one (though what else is in it may be).
    bool excludesFile(QByteArrayView name) const;
    bool excludesFolder(QByteArrayView name) const;
    // The rules in the folder `name` of this one (one excludesFolder let in); reads its ignore
    // files.
    Ptr enter(QByteArrayView name) const;

    // The folder, as the rules read from it.
    const QByteArray& directory() const { return m_directory; }
    // The ignore files that could not be read: for the walked directory, those of the folders
    // above it too.
    const QList<IgnoreFileProblem>& problems() const { return m_problems; }

private:
    IgnoreRules() = default;
    std::shared_ptr<IgnoreRules> child(QByteArrayView name) const;
    void readIgnoreFiles();
    bool excludes(QByteArrayView name, bool isDirectory) const;
    // `name` in this folder, from the top.
    QByteArray fromTop(QByteArrayView name) const { return QByteArray(m_fromTop).append(name); }

    // The nearest folder above with patterns of its own, in the same repository.
    Ptr m_above;
    std::shared_ptr<const PatternSet> m_repositoryExcludes;
    std::shared_ptr<const TrackedFiles> m_tracked; // none outside a repository
    QByteArray m_directory;
    QByteArray m_fromTop; // this folder below the top: empty, or ending in "/"
    PatternSet m_patterns;
    QList<IgnoreFileProblem> m_problems;
    bool m_excludesEverything = false;
};

} // namespace zuk
