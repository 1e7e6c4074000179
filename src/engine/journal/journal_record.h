// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/file_identity.h"
#include "engine/journal/content_hash.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zuk {

// One run's record in the journal, and its form on disk: one line per fact, appended and never
// rewritten. Each line is complete or absent: it ends in a check of its own bytes, and a
// reader stops at the first line that is cut short or fails its check, so a kill at any
// moment leaves a record that reads as far as it was written.
//
//   Z 1 ID KIND START UNDOES PATH SEARCH   the run (KIND "run" or "undo"; UNDOES 0 or the
//                                          run an undo takes back; START in ms since 1970)
//   F N NAME DEV INO SIZE MTIME MODE UID GID OLDHASH NEWHASH KEPT KEPTNAME
//                                          a file, on disk before its rename: its name, the
//                                          identity and hash of its old bytes, the hash of
//                                          the new ones, and where the old bytes are kept
//                                          (KEPT: R the run's link, C a copy, L a shared
//                                          object, N over the limit, S a symbolic link)
//   D N DEV INO SIZE MTIME MODE UID GID    the file after its rename (the new file)
//   X N                                    the rename didn't happen: nothing to take back
//   E END FILES COPIED                     the run ended
//
// Every line ends with " #" and 16 hexadecimal digits (FNV-1a of what precedes them). Byte
// strings are "b" and URL-safe base64, numbers decimal, hashes hexadecimal or "-" when not
// known.

enum class RunKind { Run, Undo };

// Where the old bytes of a file are kept.
enum class KeptAs {
    Link,        // a hard link to the old file in the journal's shared objects
    RunLink,     // a hard link to the old file in the run's own folder
    Copy,        // a copy in the run's own folder
    OverLimit,   // not kept: the copies would have passed the journal's limit
    SymbolicLink // not kept: the name was a symbolic link, which its backup keeps
};

struct RunHeader {
    qint64 id = 0;
    RunKind kind = RunKind::Run;
    qint64 startMs = 0;
    qint64 undoes = 0;
    QString path;       // what the run worked on, as the user gave it
    QString searchText; // empty for an undo
};

struct FileEntry {
    qint64 number = 0;   // from 1 within the run
    QByteArray name;     // the name the rename replaced, absolute, as the system's bytes
    FileIdentity old;    // the file the name stood for before
    ContentHash oldHash; // may be unknown where the old file itself is kept
    ContentHash newHash;
    KeptAs kept = KeptAs::Link;
    QByteArray keptName;                 // the object's or copy's name
    std::optional<FileIdentity> written; // the new file, when its rename was noted
    bool abandoned = false;              // the rename didn't happen
};

struct RunEnd {
    qint64 endMs = 0;
    qint64 files = 0;
    qint64 copiedBytes = 0;
};

struct RunRecord {
    RunHeader header;
    QList<FileEntry> entries;
    std::optional<RunEnd> end;
    qint64 wholeLength = 0; // bytes up to the end of the last whole line
};

namespace journal_record {

QByteArray headerLine(const RunHeader& header);
QByteArray entryLine(const FileEntry& entry);
QByteArray writtenLine(qint64 number, const FileIdentity& written);
// The same lines added to `lines`, which may hold others to be written with them.
void appendEntryLine(QByteArray& lines, const FileEntry& entry);
void appendWrittenLine(QByteArray& lines, qint64 number, const FileIdentity& written);
QByteArray abandonedLine(qint64 number);
QByteArray endLine(const RunEnd& end);

// Reads a record as far as its lines are whole; fails (75) when not even its first line is.
Result<RunRecord> parse(const QByteArray& bytes);
// The end line among the last bytes of a record, if it is the last whole line.
std::optional<RunEnd> endOf(const QByteArray& tail);

} // namespace journal_record

} // namespace zuk
