// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/git_index.h"

#include <QtEndian>

namespace zuk {

namespace {

// The fixed part of an entry: two times, device, inode, mode, user, group, size, the object
// name (20 bytes), then 16 bits of flags.
constexpr qsizetype kFixedEntry = 62;
constexpr quint16 kExtendedFlag = 0x4000;
constexpr qsizetype kObjectName = 20;

Error notAnIndex(const QString& why) {
    return pathFileAccessError(QStringLiteral("git's index: %1").arg(why));
}

// Reads a number as git's index version 4 writes how much of the previous name to drop: seven
// bits a byte, the high bit saying another byte follows, each continuation adding one.
std::optional<quint64> readOffset(QByteArrayView bytes, qsizetype& at) {
    if (at >= bytes.size())
        return std::nullopt;
    auto c = quint8(bytes[at++]);
    quint64 value = c & 0x7f;
    while (c & 0x80) {
        if (at >= bytes.size() || value >= (quint64(1) << 56))
            return std::nullopt;
        c = quint8(bytes[at++]);
        value = ((value + 1) << 7) | (c & 0x7f);
    }
    return value;
}

} // namespace

Result<TrackedFiles> TrackedFiles::parse(QByteArrayView bytes) {
    if (bytes.size() < 12 || bytes.first(4) != "DIRC")
        return notAnIndex(QStringLiteral("not an index"));
    const quint32 version = qFromBigEndian<quint32>(bytes.data() + 4);
    const quint32 count = qFromBigEndian<quint32>(bytes.data() + 8);
    if (version < 2 || version > 4)
        return notAnIndex(QStringLiteral("version %1 is not read").arg(version));
    TrackedFiles tracked;
    QByteArray name; // version 4 builds each name on the one before
    qsizetype at = 12;
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype start = at;
        if (bytes.size() - at < kFixedEntry)
            return notAnIndex(QStringLiteral("cut short"));
        const quint32 mode = qFromBigEndian<quint32>(bytes.data() + at + 24);
        const quint16 flags = qFromBigEndian<quint16>(bytes.data() + at + 24 + 16 + kObjectName);
        at += kFixedEntry;
        if (version >= 3 && (flags & kExtendedFlag))
            at += 2;
        if (version == 4) {
            const std::optional<quint64> drop = readOffset(bytes, at);
            if (!drop || *drop > quint64(name.size()))
                return notAnIndex(QStringLiteral("a name is damaged"));
            name.chop(qsizetype(*drop));
        } else {
            name.clear();
        }
        const qsizetype end = at < bytes.size() ? bytes.indexOf('\0', at) : -1;
        if (end < 0)
            return notAnIndex(QStringLiteral("cut short"));
        name += bytes.sliced(at, end - at);
        at = end + 1;
        // Before version 4 an entry is padded with NULs to a multiple of eight bytes.
        if (version < 4)
            at = start + ((end - start) / 8 + 1) * 8;
        // Links to other repositories and a sparse index's folders name no file.
        const quint32 type = mode & 0170000;
        if (type == 0100000 || type == 0120000)
            tracked.add(name);
    }
    // A split index keeps most of its entries in a second file, which this doesn't read.
    while (bytes.size() - at >= 8 + kObjectName) {
        if (bytes.sliced(at, 4) == "link")
            return notAnIndex(QStringLiteral("a split index is not read"));
        at += 8 + qsizetype(qFromBigEndian<quint32>(bytes.data() + at + 4));
    }
    return tracked;
}

void TrackedFiles::add(const QByteArray& path) {
    m_files.insert(path);
    for (qsizetype slash = path.indexOf('/'); slash > 0; slash = path.indexOf('/', slash + 1))
        m_folders.insert(path.first(slash));
}

} // namespace zuk
