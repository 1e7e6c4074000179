// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/content_hash.h"

#include "engine/files/file_io.h"

#include <xxhash.h>
#ifdef ZUK_XXH_DISPATCH
#include <xxh_x86dispatch.h> // the same digests, with the processor's widest vectors
#endif

#include <new>

namespace zuk {

namespace {
constexpr qsizetype kDigestLength = sizeof(XXH128_canonical_t);
}

ContentHash ContentHash::fromDigest(QByteArray digest) {
    ContentHash hash;
    hash.m_digest = std::move(digest);
    return hash;
}

std::optional<ContentHash> ContentHash::fromText(QByteArrayView text) {
    if (text == "-")
        return ContentHash();
    if (text.size() != 2 * kDigestLength)
        return std::nullopt;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return std::nullopt;
    }
    return fromDigest(QByteArray::fromHex(text.toByteArray()));
}

QByteArray ContentHash::toText() const {
    QByteArray text;
    appendText(text);
    return text;
}

void ContentHash::appendText(QByteArray& text) const {
    if (!isKnown()) {
        text.append('-');
        return;
    }
    for (const char c : m_digest)
        text.append("0123456789abcdef"[uchar(c) >> 4]).append("0123456789abcdef"[uchar(c) & 15]);
}

void ContentHasher::FreeState::operator()(XXH3_state_s* state) const {
    XXH3_freeState(state);
}

ContentHasher::ContentHasher() : m_state(XXH3_createState()) {
    if (!m_state)
        throw std::bad_alloc();
    XXH3_128bits_reset(m_state.get());
}

ContentHasher::~ContentHasher() = default;

void ContentHasher::add(const char* data, qsizetype size) {
    XXH3_128bits_update(m_state.get(), data, size_t(size));
    m_size += size;
}

ContentHash ContentHasher::result() const {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(m_state.get()));
    return ContentHash::fromDigest(
        QByteArray(reinterpret_cast<const char*>(canonical.digest), kDigestLength));
}

Result<ContentHash> hashOpenFile(int fd) {
    ContentHasher hasher;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const Result<qsizetype> got = readSome(fd, buffer.data(), buffer.size());
        if (!got)
            return got.error();
        if (got.value() == 0)
            return hasher.result();
        hasher.add(buffer.constData(), got.value());
    }
}

} // namespace zuk
