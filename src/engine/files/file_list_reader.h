// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArray>

#include <optional>

class QIODevice;

namespace zuk {

// The names of a list of files, read from a file or standard input as they come: one a line,
// or each ended by a NUL. A name is the bytes between separators, whatever they are; empty ones
// are passed over. In lines, a CR that ends a line is dropped, so a list written with CR LF
// reads as meant (a name that ends in a CR needs NUL separators). Memory stays bounded whatever
// the input: a name longer than any path the system takes comes back cut short and marked.
class FileListReader {
public:
    enum class Separator { Line, Nul };
    struct Name {
        QByteArray bytes; // the name, or its first kLongestName bytes when tooLong
        bool tooLong = false;
    };
    // The longest path the system takes, in bytes.
    static constexpr qsizetype kLongestName = 4096;

    FileListReader(QIODevice& device, Separator separator);

    // The next name; nothing at the end of the list; an error when the device fails (57).
    Result<std::optional<Name>> next();

private:
    // Reads more into the buffer; false at the end of the input.
    Result<bool> fill();

    QIODevice& m_device;
    char m_separator;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    bool m_ended = false;
};

} // namespace zuk
