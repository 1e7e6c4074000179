// SPDX-License-Identifier: GPL-3.0-or-later
// The undo journal's costs: the hashes Qt offers, and one file's commit through the atomic
// writer without the journal, with a hard link kept and with a copy kept (each entry on disk
// before the rename). TMPDIR decides the file system: /dev/shm leaves the disk's syncs out.
#include "engine/files/atomic_file.h"
#include "engine/files/file_identity.h"
#include "engine/journal/content_hash.h"
#include "engine/journal/run_journal.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace zuk {
namespace {

void BM_Hash(benchmark::State& state) {
    const auto algorithm = QCryptographicHash::Algorithm(state.range(0));
    const QByteArray bytes(1 << 20, 'x');
    for (auto _ : state) {
        QCryptographicHash hash(algorithm);
        hash.addData(bytes);
        benchmark::DoNotOptimize(hash.result());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Hash)
    ->ArgName("algorithm")
    ->Arg(QCryptographicHash::Blake2b_256)
    ->Arg(QCryptographicHash::Sha256)
    ->Arg(QCryptographicHash::Sha1)
    ->Arg(QCryptographicHash::Md5);

// journal: 0 none, 1 hard links, 2 copies.
void BM_JournaledCommit(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.txt"));
    const QByteArray bytes(state.range(1), 'x');
    if (!writeFileAtomically(path, bytes).ok()) {
        state.SkipWithError("cannot write");
        return;
    }
    JournalFolder folder(dir.filePath(QStringLiteral("journal")), {20, qint64(1) << 40});
    folder.setForceCopies(state.range(0) == 2);
    RunJournal journal(folder, {RunKind::Run, dir.path(), QStringLiteral("x"), 0});
    for (auto _ : state) {
        const Result<FileIdentity> old = identifyFile(path);
        ContentHasher hasher;
        std::optional<qint64> entry;
        BackupMaker record;
        if (state.range(0) != 0) {
            record = [&](const QString& target) -> Status {
                const Result<qint64> made =
                    journal.beforeCommit(target, old.value(), hasher.result());
                if (made)
                    entry = made.value();
                return made ? Status() : Status(made.error());
            };
        }
        auto writer = AtomicFileWriter::open(path, old.value(), record);
        if (state.range(0) != 0)
            hasher.add(bytes);
        (void)writer.value()->write(bytes);
        std::optional<FileIdentity> written;
        if (!writer.value()->commit(nullptr, &written).ok()) {
            state.SkipWithError("cannot commit");
            break;
        }
        if (entry)
            journal.committed(*entry, written);
    }
    (void)journal.finish();
}
BENCHMARK(BM_JournaledCommit)
    ->ArgNames({"journal", "bytes"})
    ->ArgsProduct({{0, 1, 2}, {16 << 10, 1 << 20}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zuk
