// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_list_reader.h"

#include <QIODevice>

#include <cstring>

namespace zuk {

namespace {

constexpr qsizetype kChunk = 64 * 1024;

} // namespace

FileListReader::FileListReader(QIODevice& device, Separator separator)
    : m_device(device), m_separator(separator == Separator::Nul ? '\0' : '\n') {}

Result<std::optional<FileListReader::Name>> FileListReader::next() {
    Name name;
    const auto finished = [&]() {
        if (m_separator == '\n' && !name.tooLong && name.bytes.endsWith('\r'))
            name.bytes.chop(1);
        return !name.bytes.isEmpty() || name.tooLong;
    };
    for (;;) {
        if (m_at == m_buffer.size()) {
            const Result<bool> filled = fill();
            if (!filled)
                return filled.error();
            if (!filled.value()) {
                if (finished())
                    return std::optional<Name>(std::move(name));
                return std::optional<Name>();
            }
        }
        const char* from = m_buffer.constData() + m_at;
        const qsizetype left = m_buffer.size() - m_at;
        const char* end = static_cast<const char*>(std::memchr(from, m_separator, size_t(left)));
        const qsizetype length = end ? end - from : left;
        const qsizetype room = kLongestName - name.bytes.size();
        name.bytes.append(from, std::min(length, room));
        name.tooLong = name.tooLong || length > room;
        m_at += end ? length + 1 : length;
        if (end) {
            if (finished())
                return std::optional<Name>(std::move(name));
            name = Name();
        }
    }
}

Result<bool> FileListReader::fill() {
    m_buffer.resize(kChunk);
    m_at = 0;
    while (!m_ended) {
        const qint64 got = m_device.read(m_buffer.data(), kChunk);
        if (got < 0) {
            m_buffer.clear();
            return Error{ErrorNumber::DeviceIo,
                         QStringLiteral("%1 (%2)").arg(describeError(ErrorNumber::DeviceIo),
                                                       m_device.errorString())};
        }
        if (got > 0) {
            m_buffer.truncate(got);
            return true;
        }
        // A pipe or socket with nothing yet: wait for more, unless the writer is done.
        m_ended = !m_device.isSequential() || !m_device.waitForReadyRead(-1);
    }
    m_buffer.clear();
    return false;
}

} // namespace zuk
