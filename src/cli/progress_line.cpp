// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_line.h"

#include <chrono>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zuk {

namespace {

const QString kEraseLine = QStringLiteral("\r\x1b[K");

qint64 steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ProgressLine::ProgressLine(bool enabled, int width, Output output, Clock clock)
    : m_enabled(enabled), m_width(width), m_output(std::move(output)),
      m_clock(clock ? std::move(clock) : Clock(steadyMilliseconds)) {}

QString ProgressLine::text(const RunCounters& counters, const QString& currentPath, int width) {
    QString line = QStringLiteral("Searched %1  Changed %2  Replaced %3")
                       .arg(counters.totFiles)
                       .arg(counters.filesDone)
                       .arg(counters.replaceMade);
    // One column stays free so that the cursor never wraps to a new line.
    const qsizetype room = width - 1 - line.size() - 2;
    if (!currentPath.isEmpty() && room > 3) {
        line += QStringLiteral("  ");
        if (currentPath.size() <= room)
            line += currentPath;
        else
            line += QStringLiteral("...") + currentPath.right(room - 3);
    }
    return line.left(qMax(0, width - 1));
}

void ProgressLine::update(const RunCounters& counters, const QString& currentPath) {
    if (!m_enabled)
        return;
    const qint64 now = m_clock();
    if (m_drawn && now - m_lastDrawn < kIntervalMs)
        return;
    m_drawn = true;
    m_lastDrawn = now;
    m_shown = true;
    m_output(kEraseLine + text(counters, currentPath, m_width));
}

void ProgressLine::clear() {
    if (!m_shown)
        return;
    m_shown = false;
    m_output(kEraseLine);
}

int ProgressLine::terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace zuk
