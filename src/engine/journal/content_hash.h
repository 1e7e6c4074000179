// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <memory>
#include <optional>

struct XXH3_state_s;

namespace zuk {

// What tells whether a file still holds given bytes: a 128-bit XXH3 digest. Hashing every byte
// a run reads and writes is the journal's main cost; XXH3 takes about 7 GB/s here (about 23
// where the library picks the vectors at run time), against 660 MB/s for BLAKE2b, the fastest
// of Qt's own. It guards against accidents (edits, other
// programs), where 128 bits make a false match beyond reach; nobody who can write a user's
// files gains anything by forging one.
class ContentHash {
public:
    ContentHash() = default; // not known
    static ContentHash fromDigest(QByteArray digest);
    // From toText(); nothing for a text that is no digest.
    static std::optional<ContentHash> fromText(QByteArrayView text);

    bool isKnown() const { return !m_digest.isEmpty(); }
    // Hexadecimal, or "-" when not known.
    QByteArray toText() const;
    void appendText(QByteArray& text) const;
    bool operator==(const ContentHash&) const = default;

private:
    QByteArray m_digest;
};

// Hashes bytes as they go by, so that a writer can feed it what it writes and nothing is read
// back.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;
    void add(const char* data, qsizetype size);
    void add(QByteArrayView bytes) { add(bytes.data(), bytes.size()); }
    // The hash of everything added so far.
    ContentHash result() const;
    qint64 size() const { return m_size; }

private:
    struct FreeState {
        void operator()(XXH3_state_s* state) const;
    };
    std::unique_ptr<XXH3_state_s, FreeState> m_state;
    qint64 m_size = 0;
};

// Hashes what is left to read of the file open as `fd`.
Result<ContentHash> hashOpenFile(int fd);

} // namespace zuk
