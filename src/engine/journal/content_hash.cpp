// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/content_hash.h"

#include "engine/files/file_io.h"

namespace zuk {

namespace {
constexpr auto kAlgorithm = QCryptographicHash::Blake2b_256;
}

ContentHash ContentHash::fromDigest(QByteArray digest) {
    ContentHash hash;
    hash.m_digest = std::move(digest);
    return hash;
}

std::optional<ContentHash> ContentHash::fromText(QByteArrayView text) {
    if (text == "-")
        return ContentHash();
    const qsizetype length = QCryptographicHash::hashLength(kAlgorithm);
    if (text.size() != 2 * length)
        return std::nullopt;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return std::nullopt;
    }
    return fromDigest(QByteArray::fromHex(text.toByteArray()));
}

QByteArray ContentHash::toText() const {
    return isKnown() ? m_digest.toHex() : QByteArrayLiteral("-");
}

ContentHasher::ContentHasher() : m_hash(kAlgorithm) {}

void ContentHasher::add(const char* data, qsizetype size) {
    m_hash.addData(QByteArrayView(data, size));
    m_size += size;
}

ContentHash ContentHasher::result() const {
    return ContentHash::fromDigest(m_hash.resultView().toByteArray());
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
