// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_state.h"

#include <QString>

#include <functional>

namespace zuk {

// The line on a terminal's standard error that shows how far a run is: files searched so far
// and the file being worked on. Redrawn at most ten times a second, so that a run over many
// small files doesn't spend its time drawing.
class ProgressLine final {
public:
    using Output = std::function<void(const QString& text)>;
    using Clock = std::function<qint64()>; // milliseconds, steadily increasing

    static constexpr qint64 kIntervalMs = 100;

    // A disabled line never writes (standard error is not a terminal).
    ProgressLine(bool enabled, int width, Output output, Clock clock = {});

    void update(const RunCounters& counters, const QString& currentPath);
    // Erases the line, so that a message or the end of the run starts on a clean line.
    void clear();

    // The text of the line, cut to the width (the start of a long path gives way).
    static QString text(const RunCounters& counters, const QString& currentPath, int width);
    // The terminal's width on standard error, or 80.
    static int terminalWidth();

private:
    bool m_enabled;
    int m_width;
    Output m_output;
    Clock m_clock;
    qint64 m_lastDrawn = 0;
    bool m_drawn = false;
    bool m_shown = false;
};

} // namespace zuk
