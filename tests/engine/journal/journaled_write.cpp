// SPDX-License-Identifier: GPL-3.0-or-later
#include "journaled_write.h"

#include "engine/files/atomic_file.h"
#include "engine/files/file_identity.h"
#include "engine/journal/content_hash.h"

#include <optional>

namespace zuk::test {

Status journaledWrite(RunJournal& journal, const QString& path, const QByteArray& bytes,
                      bool renames) {
    const Result<LoadedBytes> loaded = readWholeFile(path);
    if (!loaded)
        return loaded.error();
    const FileIdentity old = loaded.value().identity;
    ContentHasher hasher;
    std::optional<qint64> entry;
    const BackupMaker beforeRename = [&](const QString& target) -> Status {
        const Result<qint64> recorded = journal.beforeCommit(target, old, hasher.result());
        if (!recorded)
            return recorded.error();
        entry = recorded.value();
        return renames ? Status() : Status(makeError(ErrorNumber::DeviceIo));
    };
    auto writer = AtomicFileWriter::open(path, old, beforeRename);
    if (!writer)
        return writer.error();
    hasher.add(bytes);
    if (Status written = writer.value()->write(bytes); !written)
        return written;
    std::optional<FileIdentity> written;
    const Status committed = writer.value()->commit(nullptr, &written);
    if (entry && renames)
        committed ? journal.committed(*entry, written) : journal.abandoned(*entry);
    return committed;
}

} // namespace zuk::test
