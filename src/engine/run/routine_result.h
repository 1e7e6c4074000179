// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"

#include <optional>

namespace zuk {

// What a replacement routine did with its subject: found some, found nothing, or failed with
// an error (whose message travels with the edit). The line-break-tolerant routine goes on
// after a pass that failed, so a failure may come with the finds of its other passes.
class RoutineResult {
public:
    static RoutineResult found(qint64 finds) {
        RoutineResult result;
        result.m_finds = finds;
        return result;
    }
    static RoutineResult failed(Error error) {
        RoutineResult result;
        result.m_error = std::move(error);
        return result;
    }

    qint64 finds() const { return m_finds; }
    bool foundNothing() const { return m_finds == 0; }
    bool failed() const { return m_error.has_value(); }
    const std::optional<Error>& error() const { return m_error; }
    // Whether the subject counts as searched: all but a file that couldn't be read as text.
    bool counted() const { return !m_error || m_error->number != ErrorNumber::PathFileAccess; }

    // Adds the result of a further pass over the same subject.
    void add(const RoutineResult& pass) {
        m_finds += pass.m_finds;
        if (pass.m_error && !m_error)
            m_error = pass.m_error;
    }

private:
    qint64 m_finds = 0;
    std::optional<Error> m_error;
};

} // namespace zuk
