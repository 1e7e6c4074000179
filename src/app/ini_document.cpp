// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ini_document.h"

namespace zuk {

namespace {

const QString Marker = QStringLiteral("{zuk}");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

std::optional<QStringView> sectionNameOf(QStringView line) {
    const QStringView trimmed = trimBlanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimBlanks(trimmed.sliced(1, close - 1));
}

// The key of a "key=value" line, and where its value begins (after the blanks that follow
// the equals sign). Comments and section headers have no key.
std::optional<QStringView> keyOf(QStringView line, qsizetype* valueStart) {
    qsizetype lead = 0;
    while (lead < line.size() && isBlank(line[lead]))
        ++lead;
    if (lead == line.size() || line[lead] == u';' || line[lead] == u'#' || line[lead] == u'[')
        return std::nullopt;
    const qsizetype equals = line.indexOf(u'=', lead);
    if (equals < 0)
        return std::nullopt;
    const QStringView key = trimBlanks(line.sliced(lead, equals - lead));
    if (key.isEmpty())
        return std::nullopt;
    qsizetype start = equals + 1;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    *valueStart = start;
    return key;
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isLoneSurrogate(const QString& text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 == text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

std::optional<QChar> hexCode(QStringView digits) {
    char16_t code = 0;
    for (const QChar digit : digits) {
        const char16_t c = digit.unicode();
        int nibble = 0;
        if (c >= u'0' && c <= u'9')
            nibble = c - u'0';
        else if (c >= u'a' && c <= u'f')
            nibble = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            nibble = c - u'A' + 10;
        else
            return std::nullopt;
        code = char16_t(code * 16 + nibble);
    }
    return QChar(code);
}

QString decodeLine(const QByteArray& raw) {
    Result<DecodedText> decoded = decodeText(raw);
    // Only a line holding a NUL byte fails; one character per byte keeps it readable.
    return decoded ? decoded.value().text : QString::fromLatin1(raw);
}

template <typename Text, typename Add> void splitLines(const Text& text, qsizetype from, Add add) {
    qsizetype start = from;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        add(start, i - start, crlf ? QStringLiteral("\r\n") : QString(QChar(text[i])));
        if (crlf)
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        add(start, text.size() - start, QString());
}

} // namespace

Result<IniDocument> IniDocument::load(const QString& path) {
    Result<LoadedBytes> loaded = readWholeFile(path);
    if (!loaded) {
        if (loaded.error().number == ErrorNumber::FileNotFound)
            return IniDocument();
        return loaded.error();
    }
    IniDocument document = fromBytes(loaded.value().bytes);
    document.m_identity = loaded.value().identity;
    return document;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes) {
    IniDocument document;
    auto noteBreak = [&document, first = true](const QString& lineBreak) mutable {
        if (first && !lineBreak.isEmpty()) {
            document.m_newLine = lineBreak;
            first = false;
        }
    };
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // The mark decides, also in a broken file with an odd number of bytes: its last byte
        // is kept apart and written back last, so the file reads the same way after a save.
        const TextEncoding encoding =
            bytes.startsWith("\xFF\xFE") ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        const qsizetype body = (bytes.size() - 2) & ~qsizetype(1);
        document.m_utf16 = encoding;
        document.m_oddByte = bytes.sliced(2 + body);
        const QString text = decodeBody(QByteArrayView(bytes).sliced(2, body), encoding);
        splitLines(text, 0, [&](qsizetype start, qsizetype length, const QString& lineBreak) {
            document.m_lines.append(Line{text.sliced(start, length), lineBreak, std::nullopt});
            noteBreak(lineBreak);
        });
        return document;
    }
    qsizetype from = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        document.m_utf8Mark = true;
        from = 3;
    }
    splitLines(bytes, from, [&](qsizetype start, qsizetype length, const QString& lineBreak) {
        const QByteArray raw = bytes.sliced(start, length);
        document.m_lines.append(Line{decodeLine(raw), lineBreak, raw});
        noteBreak(lineBreak);
    });
    return document;
}

QString IniDocument::value(const QString& section, const QString& key,
                           const QString& fallback) const {
    const qsizetype header = findSection(section);
    if (header < 0)
        return fallback;
    const KeyLine found = findKey(header, key);
    if (found.index < 0)
        return fallback;
    const QString& text = m_lines[found.index].text;
    QString result = decodeValue(trimBlanks(QStringView(text).sliced(found.valueStart)).toString());
    if (result.size() > MaxValueLength) {
        qsizetype length = MaxValueLength;
        if (result[length - 1].isHighSurrogate())
            --length;
        result.truncate(length);
    }
    return result.isEmpty() ? fallback : result;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QString stored = encodeValue(value);
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        insertLine(m_lines.size(), key + QLatin1Char('=') + stored);
        return;
    }
    const KeyLine found = findKey(header, key);
    if (found.index >= 0) {
        Line& line = m_lines[found.index];
        line.text = line.text.left(found.valueStart) + stored;
        line.raw.reset();
        return;
    }
    qsizetype at = sectionEnd(header);
    while (at - 1 > header && trimBlanks(m_lines[at - 1].text).isEmpty())
        --at;
    insertLine(at, key + QLatin1Char('=') + stored);
}

QByteArray IniDocument::toBytes() const {
    if (m_utf16) {
        QString text;
        for (const Line& line : m_lines)
            text += line.text + line.lineBreak;
        return byteOrderMark(*m_utf16) + encodeText(text, *m_utf16) + m_oddByte;
    }
    QByteArray bytes;
    if (m_utf8Mark)
        bytes = QByteArrayLiteral("\xEF\xBB\xBF");
    for (const Line& line : m_lines) {
        bytes += line.raw ? *line.raw : line.text.toUtf8();
        bytes += line.lineBreak.toLatin1();
    }
    return bytes;
}

Status IniDocument::save(const QString& path) const {
    return writeFileAtomically(path, toBytes(), m_identity);
}

QString IniDocument::encodeValue(const QString& value) {
    bool escape = value.startsWith(Marker) ||
                  (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())));
    for (qsizetype i = 0; i < value.size() && !escape; ++i) {
        const QChar c = value[i];
        escape = c == u'\r' || c == u'\n' || c == QChar(0) || isLoneSurrogate(value, i);
    }
    if (!escape)
        return value;

    QString stored = Marker;
    stored.reserve(Marker.size() + value.size() * 2);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            stored += QStringLiteral("\\\\");
        else if (c == u'\r')
            stored += QStringLiteral("\\r");
        else if (c == u'\n')
            stored += QStringLiteral("\\n");
        else if (c == u'\t')
            stored += QStringLiteral("\\t");
        else if (c == u' ' && i + 1 == value.size())
            stored += QStringLiteral("\\s");
        else if (c == QChar(0) || isLoneSurrogate(value, i))
            stored += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
        else
            stored += c;
    }
    return stored;
}

QString IniDocument::decodeValue(const QString& stored) {
    if (!stored.startsWith(Marker))
        return stored;
    QString value;
    value.reserve(stored.size());
    for (qsizetype i = Marker.size(); i < stored.size(); ++i) {
        const QChar c = stored[i];
        if (c != u'\\' || i + 1 == stored.size()) {
            value += c;
            continue;
        }
        std::optional<QChar> decoded;
        qsizetype width = 2;
        switch (stored[i + 1].unicode()) {
        case u'\\':
            decoded = u'\\';
            break;
        case u'r':
            decoded = u'\r';
            break;
        case u'n':
            decoded = u'\n';
            break;
        case u't':
            decoded = u'\t';
            break;
        case u's':
            decoded = u' ';
            break;
        case u'u':
            width = 6;
            if (i + width <= stored.size())
                decoded = hexCode(QStringView(stored).sliced(i + 2, 4));
            break;
        default:
            break;
        }
        if (decoded) {
            value += *decoded;
            i += width - 1;
        } else {
            value += c; // not an escape: the backslash stands for itself
        }
    }
    return value;
}

qsizetype IniDocument::findSection(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const std::optional<QStringView> name = sectionNameOf(m_lines[i].text);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const {
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        if (sectionNameOf(m_lines[i].text))
            return i;
    }
    return m_lines.size();
}

IniDocument::KeyLine IniDocument::findKey(qsizetype header, const QString& key) const {
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        qsizetype valueStart = 0;
        const std::optional<QStringView> name = keyOf(m_lines[i].text, &valueStart);
        if (name && sameName(*name, key))
            return KeyLine{i, valueStart};
    }
    return KeyLine{};
}

void IniDocument::insertLine(qsizetype index, const QString& text) {
    if (index > 0 && m_lines[index - 1].lineBreak.isEmpty())
        m_lines[index - 1].lineBreak = m_newLine;
    m_lines.insert(index, Line{text, m_newLine, std::nullopt});
}

} // namespace zuk
