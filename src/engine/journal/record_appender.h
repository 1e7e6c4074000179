// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <QByteArrayView>

#include <sys/types.h>

namespace zuk {

// Appends a run's record lines through a shared mapping of room set aside ahead, so that a
// file's line costs no system call. The bytes are in the page cache once copied, which a kill
// can't take, as with a write. The room unused is cut off at close; a kill leaves it as zeros
// after the last line, which no reader takes for a line. Where room can't be set aside or
// mapped (a full disk, a file system without either), lines are written as before.
class RecordAppender {
public:
    // `fd`: the record, open for reading and appending; not closed here.
    explicit RecordAppender(int fd) : m_fd(fd) {}
    ~RecordAppender() { (void)close(); }
    RecordAppender(const RecordAppender&) = delete;
    RecordAppender& operator=(const RecordAppender&) = delete;

    Status append(QByteArrayView bytes);
    // Cuts the record back to the lines appended and unmaps it: writes may follow.
    Status close();

private:
    bool mapRoom(qsizetype needed);
    void unmap();

    int m_fd;
    bool m_plain = false; // writes only, from the first refusal on
    Status m_state;       // an error once the record couldn't be cut back: nothing more is taken
    char* m_map = nullptr;
    size_t m_mapLength = 0;
    off_t m_mapStart = 0;
    off_t m_end = -1; // of the lines appended, once the record is mapped
};

} // namespace zuk
