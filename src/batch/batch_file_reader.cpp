// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_file_reader.h"

#include <algorithm>

namespace zuk {

namespace {

constexpr QChar kQuote = u'"';

} // namespace

bool BatchFileReader::atLineBreak() const {
    return !atEnd() && (m_text[m_pos] == u'\r' || m_text[m_pos] == u'\n');
}

bool BatchFileReader::skipLineBreak() {
    if (!atLineBreak())
        return false;
    if (m_text[m_pos++] == u'\r' && !atEnd() && m_text[m_pos] == u'\n')
        ++m_pos;
    return true;
}

QString BatchFileReader::ReadBatchField() {
    while (!atEnd() && m_text[m_pos] == u' ')
        ++m_pos;
    // The pieces are found first and copied once, so a field takes its own size and no more.
    qsizetype open = m_pos;
    qsizetype close = m_pos;
    if (!atEnd() && m_text[m_pos] == kQuote) {
        open = m_pos + 1;
        close = m_text.indexOf(kQuote, open);
        // Without a closing quote the field runs to the end of the text.
        if (close < 0)
            close = m_text.size();
        m_pos = std::min(close + 1, m_text.size());
    }
    const qsizetype from = m_pos;
    while (!atEnd() && m_text[m_pos] != u',' && !atLineBreak())
        ++m_pos;
    const QStringView quoted = QStringView(m_text).sliced(open, close - open);
    const QStringView rest = QStringView(m_text).sliced(from, m_pos - from);
    QString field(quoted.size() + rest.size(), Qt::Uninitialized);
    std::copy(rest.begin(), rest.end(), std::copy(quoted.begin(), quoted.end(), field.data()));
    if (!atEnd() && m_text[m_pos] == u',')
        ++m_pos;
    else
        skipLineBreak();
    return field;
}

QString BatchFileReader::ReadBatchLine() {
    const qsizetype from = m_pos;
    while (!atEnd() && !atLineBreak())
        ++m_pos;
    QString line = m_text.sliced(from, m_pos - from);
    skipLineBreak();
    return line;
}

std::optional<QString> BatchFileReader::ReadQuotedEntry() {
    // The fourth quote is found first, then the entry is copied once without its quotes.
    qsizetype end = m_pos;
    int quotes = 0;
    for (; quotes < 4; ++quotes) {
        const qsizetype quote = m_text.indexOf(kQuote, end);
        if (quote < 0)
            break;
        end = quote + 1;
    }
    if (quotes < 4) {
        m_unclosedEntry = quotes > 0;
        m_pos = m_text.size();
        return std::nullopt;
    }
    QString entry(end - m_pos - quotes, Qt::Uninitialized);
    QChar* out = entry.data();
    while (m_pos < end) {
        const qsizetype quote = m_text.indexOf(kQuote, m_pos);
        out = std::copy(m_text.cbegin() + m_pos, m_text.cbegin() + quote, out);
        m_pos = quote + 1;
    }
    if (!skipLineBreak())
        m_pos = std::min(m_pos + 2, m_text.size());
    return entry;
}

} // namespace zuk
