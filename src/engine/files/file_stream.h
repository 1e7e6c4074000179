// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace zuk {

// A file read through one reused buffer, and the file written in its place: the spans of the
// input between replacements and the replacements go straight into the writer's temporary file,
// which is opened only at the first replacement. Offsets count bytes from the file's start.
class FileStream {
public:
    // The buffer holds about this many bytes; a longer match needs a larger one.
    static constexpr qsizetype kDefaultBufferSize = 1 << 20;

    // Opens the file and reads its first buffer. Errors as for a whole-file read.
    static Result<std::unique_ptr<FileStream>> open(const QString& path, qsizetype bufferSize);
    ~FileStream();

    const FileIdentity& identity() const { return m_identity; }
    bool isSymbolicLink() const { return m_link; }
    bool hasUtf16Mark() const;
    bool hasUtf8Mark() const;
    qint64 bodyStart() const { return hasUtf8Mark() ? 3 : 0; }

    struct Survey {
        bool validUtf8 = true;
        bool asciiFolding = false; // holds the Kelvin sign or the long s (in UTF-8)
    };
    // A first pass over the whole file, for what must be known before the first find (whether
    // it holds the Kelvin sign or the long s only when `folding` asks). Fails with 75 at a NUL
    // byte.
    Result<Survey> survey(bool folding = true);

    // The bytes in the buffer, from windowStart(); atEnd() when they reach the end of the file.
    QByteArrayView window() const { return QByteArrayView(m_buffer.constData(), m_length); }
    qint64 windowStart() const { return m_start; }
    bool atEnd() const { return m_eof; }
    // The window from the body's start, for the working buffer to show. When the window holds
    // the whole file it is shared rather than copied.
    QByteArray beginning();
    // Drops what lies before `keepFrom` (copying it to the output first when that is open) and
    // reads on. Fails with 75 at a NUL byte.
    Status advance(qint64 keepFrom);
    // Doubles the buffer and reads on into it, for a window that must hold more (a whole line).
    // Fails with 75 at a NUL byte.
    Status grow();
    qsizetype capacity() const { return m_capacity; }

    // The form of the file's first line break ("" when it has none).
    Result<QByteArray> firstLineBreak();

    // Replaces [position, position + length), which lies in the window; calls come in order.
    // The output is opened at the first call. A failure of the output is kept for outputStatus.
    void replace(qint64 position, qint64 length, QByteArrayView replacement);
    // The byte the output holds just before a replacement at `position` (0 at the text's start).
    char16_t unitBefore(qint64 position) const;
    // Some replacement differs from the text it replaced.
    bool differs() const { return m_differs; }
    // Copies the rest of the input to an open output. Fails with 75 at a NUL byte.
    Status finish();
    // What was written so far fits here (its beginning, for the window to show).
    const QByteArray& outputBeginning() const { return m_shown; }
    bool outputOpened() const { return m_writerOpened; }
    Status outputStatus() const { return m_outputStatus; }
    // Given every byte the output writes (set before the first replace).
    void setWatch(WriteWatch watch) { m_watch = std::move(watch); }
    // Where the new file may be created (see NewFilePlace); before the first replacement.
    void setNewFilePlace(NewFilePlace place) { m_place = std::move(place); }
    // The writer holding the new text, ready to commit; null unless finish succeeded.
    std::unique_ptr<AtomicFileWriter> takeOutput();

private:
    void restoreCapacity();
    FileStream() = default;
    Status fill();
    Status readAt(qint64 offset, char* into, qsizetype size, qsizetype& got);
    void emitInput(qint64 to);
    void emit(QByteArrayView bytes, bool body);
    void flush();

    QString m_path;
    int m_fd = -1;
    FileIdentity m_identity;
    bool m_link = false;
    qsizetype m_capacity = 0;
    QByteArray m_buffer;
    qsizetype m_length = 0;
    qint64 m_start = 0;
    bool m_eof = false;
    enum class Mark { None, Utf8, Utf16 } m_mark = Mark::None;

    std::unique_ptr<AtomicFileWriter> m_writer;
    WriteWatch m_watch;
    NewFilePlace m_place;
    bool m_writerOpened = false;
    Status m_outputStatus;
    QByteArray m_out; // output waiting to be written
    QByteArray m_shown;
    qint64 m_copied = 0;        // input up to here is in the output
    bool m_bodyEmitted = false; // the output holds more than the mark
    char m_lastOutput = 0;
    bool m_differs = false;
};

} // namespace zuk
