#include "batch/batch_file_reader.h"

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
    QString field;
    if (!atEnd() && m_text[m_pos] == kQuote) {
        const qsizetype open = m_pos + 1;
        const qsizetype close = m_text.indexOf(kQuote, open);
        // Without a closing quote the field runs to the end of the text.
        const qsizetype end = close < 0 ? m_text.size() : close;
        field = m_text.sliced(open, end - open);
        m_pos = close < 0 ? end : close + 1;
    }
    const qsizetype from = m_pos;
    while (!atEnd() && m_text[m_pos] != u',' && !atLineBreak())
        ++m_pos;
    field += QStringView(m_text).sliced(from, m_pos - from);
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
    QString entry;
    int quotes = 0;
    while (!atEnd()) {
        const QChar c = m_text[m_pos++];
        if (c != kQuote) {
            entry += c;
            continue;
        }
        if (++quotes < 4)
            continue;
        if (!skipLineBreak())
            m_pos = std::min(m_pos + 2, m_text.size());
        return entry;
    }
    return std::nullopt;
}

} // namespace zuk
