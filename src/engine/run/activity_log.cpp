// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/activity_log.h"

#include "engine/files/file_io.h"
#include "engine/files/path_bytes.h"

#include <QStringEncoder>

namespace zuk {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kFullLine = QString(56, QLatin1Char('='));

// Every line break of a logged text in the log's own form, so that a multi-line text reads
// as lines of the file like every other line.
QString withCrLf(const QString& text) {
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += kCrLf;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += kCrLf;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

ActivityLog::ActivityLog(QString path, Clock clock, QLocale locale)
    : m_path(std::move(path)), m_clock(std::move(clock)), m_locale(std::move(locale)) {
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
}

Status ActivityLog::LogIt(const QString& line) const {
    if (m_path.isEmpty())
        return makeError(ErrorNumber::PathNotFound);
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(withCrLf(line) + kCrLf);
    return appendToFile(m_path, bytes);
}

Status ActivityLog::logLines(const QStringList& lines) const {
    for (const QString& line : lines) {
        if (Status written = LogIt(line); !written)
            return written;
    }
    return {};
}

QString ActivityLog::stamp() const {
    const QDateTime now = m_clock();
    return m_locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           m_locale.toString(now.time(), QLocale::LongFormat);
}

QStringList ActivityLog::runHeader(const QString& searchText, const QString& replaceText,
                                   CheckValue searchOnly, const QStringList& more) const {
    QStringList lines{QStringLiteral("==> START"), QStringLiteral("====> ") + stamp(),
                      QStringLiteral("====> Search Criteria - ") + searchText};
    if (searchOnly == Unchecked)
        lines.append(QStringLiteral("====> Replace Criteria - ") + replaceText);
    lines.append(more);
    lines.append(QStringLiteral(" "));
    return lines;
}

QStringList ActivityLog::runTrailer(const RunCounters& counters, CheckValue searchOnly) const {
    QStringList lines{QStringLiteral(" "),
                      QStringLiteral("====> Total Files    = %1").arg(counters.totFiles)};
    if (searchOnly == Checked) {
        lines.append(QStringLiteral("====> Items Found    = %1").arg(counters.replaceMade));
    } else {
        lines.append(QStringLiteral("====> Items Modified = %1").arg(counters.filesDone));
        lines.append(QStringLiteral("====> Replacment done= %1").arg(counters.replaceMade));
    }
    lines.append(QStringLiteral("====> ") + stamp());
    lines.append(QStringLiteral("==> END"));
    lines.append(kFullLine);
    return lines;
}

QStringList ActivityLog::rollBackHeader() const {
    return {QStringLiteral("==> ROLL BACK"), QStringLiteral("====> ") + stamp(),
            QStringLiteral(" ")};
}

QStringList ActivityLog::rollBackTrailer(qint32 rollBacksDone) const {
    return {QStringLiteral(" "), QStringLiteral("====> Roll Backs Done= %1").arg(rollBacksDone),
            QStringLiteral("====> ") + stamp(), QStringLiteral("==> END"), kFullLine};
}

QString ActivityLog::itemLine(qint64 result, const QString& pathText) {
    return QString::number(result) + QStringLiteral("  ~  ") + displayPath(pathText);
}

QString ActivityLog::directoryItemLine(qint64 result, const QString& filePath) {
    return QStringLiteral("      ") + QString::number(result) + QStringLiteral(" ~ ") +
           displayPath(filePath);
}

QString ActivityLog::rollBackLine(const QString& restoredPath) {
    return QStringLiteral("RB  ~  ") + displayPath(restoredPath);
}

} // namespace zuk
