// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/check_value.h"
#include "engine/error.h"
#include "engine/run/run_state.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>

namespace zuk {

// The activity log: a text file that only grows, one line per call. Each line is opened,
// appended and closed on its own, so the log is complete on disk after every line and no
// file is held open across a yield. Lines end in CR LF and are written in the system's
// code page (UTF-8 here); a line break inside a logged text becomes CR LF too.
class ActivityLog final {
public:
    using Clock = std::function<QDateTime()>;

    // An empty path means there is no log: every line fails with error 76.
    explicit ActivityLog(QString path, Clock clock = {}, QLocale locale = QLocale::system());

    const QString& path() const { return m_path; }

    // Appends one line, creating the file when missing.
    Status LogIt(const QString& line) const;
    // Appends the lines in order and stops at the first that fails.
    Status logLines(const QStringList& lines) const;

    // The current date in the short date format, a blank, the time in the long time format.
    QString stamp() const;

    // The lines themselves, for callers that log them and tests that check them.
    // `more`: lines about the run's settings, after the criteria (none by default).
    QStringList runHeader(const QString& searchText, const QString& replaceText,
                          CheckValue searchOnly, const QStringList& more = {}) const;
    QStringList runTrailer(const RunCounters& counters, CheckValue searchOnly) const;
    QStringList rollBackHeader() const;
    QStringList rollBackTrailer(qint32 rollBacksDone) const;
    // "<result>  ~  <path text>": the text and single-file modes.
    static QString itemLine(qint64 result, const QString& pathText);
    // "      <result> ~ <full path>": a file of a directory run.
    static QString directoryItemLine(qint64 result, const QString& filePath);
    // "RB  ~  <restored file>".
    static QString rollBackLine(const QString& restoredPath);

    Status logRunHeader(const QString& searchText, const QString& replaceText,
                        CheckValue searchOnly, const QStringList& more = {}) const {
        return logLines(runHeader(searchText, replaceText, searchOnly, more));
    }
    Status logRunTrailer(const RunCounters& counters, CheckValue searchOnly) const {
        return logLines(runTrailer(counters, searchOnly));
    }
    Status logRollBackHeader() const { return logLines(rollBackHeader()); }
    Status logRollBackTrailer(qint32 rollBacksDone) const {
        return logLines(rollBackTrailer(rollBacksDone));
    }

private:
    QString m_path;
    Clock m_clock;
    QLocale m_locale;
};

} // namespace zuk
