// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/journal/journal_record.h"

#include "engine/files/path_bytes.h"

#include <QHash>
#include <QVarLengthArray>

#include <charconv>

namespace zuk::journal_record {

namespace {

constexpr char kVersion[] = "1";

quint64 checkOf(QByteArrayView bytes) {
    quint64 hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= uchar(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

// The check of a line's body: its FNV-1a in 16 hexadecimal digits.
struct Check {
    explicit Check(QByteArrayView body) {
        quint64 check = checkOf(body);
        for (int at = 15; at >= 0; --at, check >>= 4)
            digits[at] = "0123456789abcdef"[check & 15];
    }
    QByteArrayView text() const { return {digits, sizeof digits}; }
    char digits[16];
};

// Records are written one line per file a run changes: each is formed in place, without a
// text per field, after the lines still held for the same write.
void endLineAt(QByteArray& lines, qsizetype from) {
    const Check check(QByteArrayView(lines).sliced(from));
    lines.append(" #").append(check.text()).append('\n');
}

QByteArray finished(QByteArray body) {
    endLineAt(body, 0);
    return body;
}

template <typename Number> void addNumber(QByteArray& line, Number value) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end - digits);
}

// 'b' and the bytes in unpadded base64url, written into the line.
void addBytes(QByteArray& line, QByteArrayView bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    const qsizetype start = line.size();
    line.resize(start + 1 + (bytes.size() * 4 + 2) / 3);
    char* out = line.data() + start;
    *out++ = 'b';
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype whole = bytes.size() / 3 * 3;
    for (qsizetype at = 0; at < whole; at += 3) {
        const quint32 group = quint32(in[at]) << 16 | quint32(in[at + 1]) << 8 | in[at + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            *out++ = kDigits[(group >> shift) & 63];
    }
    if (const qsizetype left = bytes.size() - whole; left > 0) {
        const quint32 group =
            quint32(in[whole]) << 16 | (left == 2 ? quint32(in[whole + 1]) << 8 : 0);
        for (int shift = 18; shift >= 18 - 6 * int(left); shift -= 6)
            *out++ = kDigits[(group >> shift) & 63];
    }
}

QByteArray bytesField(const QByteArray& bytes) {
    QByteArray field;
    addBytes(field, bytes);
    return field;
}

QByteArray textField(const QString& text) {
    return bytesField(encodePath(text));
}

template <typename Number, typename... More>
void addNumbers(QByteArray& line, Number first, More... more) {
    addNumber(line, first);
    ((line.append(' '), addNumber(line, more)), ...);
}

void addIdentity(QByteArray& line, const FileIdentity& id) {
    addNumbers(line, id.device, id.inode, id.size, id.mtimeNs, id.mode, id.uid, id.gid);
}

const char* keptField(KeptAs kept) {
    switch (kept) {
    case KeptAs::Link:
        return "L";
    case KeptAs::RunLink:
        return "R";
    case KeptAs::Copy:
        return "C";
    case KeptAs::OverLimit:
        return "N";
    case KeptAs::SymbolicLink:
        return "S";
    }
    return "N";
}

using LineFields = QVarLengthArray<QByteArrayView, 16>;

// The fields of one line, read in order; any field that doesn't read spoils the line.
class Fields {
public:
    explicit Fields(const LineFields& fields) : m_fields(fields) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_fields.size(); }

    QByteArrayView next() {
        if (m_at >= m_fields.size()) {
            m_ok = false;
            return {};
        }
        return m_fields[m_at++];
    }
    qint64 number() {
        bool ok = false;
        const qint64 value = next().toLongLong(&ok);
        m_ok = m_ok && ok;
        return value;
    }
    quint64 unsignedNumber() {
        bool ok = false;
        const quint64 value = next().toULongLong(&ok);
        m_ok = m_ok && ok;
        return value;
    }
    QByteArray bytes() {
        const QByteArrayView field = next();
        if (!field.startsWith('b')) {
            m_ok = false;
            return {};
        }
        const auto decoded = QByteArray::fromBase64Encoding(
            field.sliced(1).toByteArray(),
            QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
        m_ok = m_ok && bool(decoded);
        return decoded.decoded;
    }
    QString text() { return decodePath(bytes()); }
    FileIdentity identity() {
        FileIdentity id;
        id.device = unsignedNumber();
        id.inode = unsignedNumber();
        id.size = number();
        id.mtimeNs = number();
        id.mode = quint32(unsignedNumber());
        id.uid = quint32(unsignedNumber());
        id.gid = quint32(unsignedNumber());
        return id;
    }
    ContentHash hash() {
        const std::optional<ContentHash> hash = ContentHash::fromText(next());
        m_ok = m_ok && hash.has_value();
        return hash.value_or(ContentHash());
    }
    KeptAs kept() {
        const QByteArrayView field = next();
        if (field == "L")
            return KeptAs::Link;
        if (field == "R")
            return KeptAs::RunLink;
        if (field == "C")
            return KeptAs::Copy;
        if (field == "S")
            return KeptAs::SymbolicLink;
        m_ok = m_ok && field == "N";
        return KeptAs::OverLimit;
    }

private:
    const LineFields& m_fields;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// The fields of a whole line (without its line break) whose check holds, as views of the line:
// a record of many files is read without a text per field.
std::optional<LineFields> checkedFields(QByteArrayView line) {
    const qsizetype mark = line.lastIndexOf(QByteArrayView(" #"));
    if (mark < 0 || line.size() - mark != 18)
        return std::nullopt;
    if (line.sliced(mark + 2) != Check(line.first(mark)).text())
        return std::nullopt;
    LineFields fields;
    const QByteArrayView body = line.first(mark);
    for (qsizetype from = 0;;) {
        const qsizetype space = body.indexOf(' ', from);
        fields.append(body.sliced(from, (space < 0 ? body.size() : space) - from));
        if (space < 0)
            return fields;
        from = space + 1;
    }
}

std::optional<RunEnd> endFrom(const LineFields& fields) {
    Fields read(fields);
    if (read.next() != "E")
        return std::nullopt;
    RunEnd end;
    end.endMs = read.number();
    end.files = read.number();
    end.copiedBytes = read.number();
    if (!read.ok() || !read.atEnd())
        return std::nullopt;
    return end;
}

} // namespace

QByteArray headerLine(const RunHeader& header) {
    return finished("Z " + QByteArray(kVersion) + ' ' + QByteArray::number(header.id) + ' ' +
                    (header.kind == RunKind::Undo ? "undo" : "run") + ' ' +
                    QByteArray::number(header.startMs) + ' ' + QByteArray::number(header.undoes) +
                    ' ' + textField(header.path) + ' ' + textField(header.searchText));
}

void appendEntryLine(QByteArray& lines, const FileEntry& entry) {
    const qsizetype from = lines.size();
    lines.reserve(from + 2 * entry.name.size() + entry.keptName.size() + 200);
    lines.append("F ");
    addNumber(lines, entry.number);
    lines.append(' ');
    addBytes(lines, entry.name);
    lines.append(' ');
    addIdentity(lines, entry.old);
    lines.append(' ');
    entry.oldHash.appendText(lines);
    lines.append(' ');
    entry.newHash.appendText(lines);
    lines.append(' ').append(keptField(entry.kept)).append(' ');
    addBytes(lines, entry.keptName);
    endLineAt(lines, from);
}

QByteArray entryLine(const FileEntry& entry) {
    QByteArray line;
    appendEntryLine(line, entry);
    return line;
}

void appendWrittenLine(QByteArray& lines, qint64 number, const FileIdentity& written) {
    const qsizetype from = lines.size();
    lines.reserve(from + 160);
    lines.append("D ");
    addNumber(lines, number);
    lines.append(' ');
    addIdentity(lines, written);
    endLineAt(lines, from);
}

QByteArray writtenLine(qint64 number, const FileIdentity& written) {
    QByteArray line;
    appendWrittenLine(line, number, written);
    return line;
}

QByteArray abandonedLine(qint64 number) {
    return finished("X " + QByteArray::number(number));
}

QByteArray endLine(const RunEnd& end) {
    return finished("E " + QByteArray::number(end.endMs) + ' ' + QByteArray::number(end.files) +
                    ' ' + QByteArray::number(end.copiedBytes));
}

Result<RunRecord> parse(const QByteArray& bytes) {
    RunRecord record;
    QHash<qint64, qsizetype> entryAt; // an entry's number to its place
    qsizetype start = 0;
    for (qsizetype lineEnd; (lineEnd = bytes.indexOf('\n', start)) >= 0; start = lineEnd + 1) {
        const std::optional<LineFields> fields =
            checkedFields(QByteArrayView(bytes).sliced(start, lineEnd - start));
        if (!fields)
            break;
        Fields read(*fields);
        const QByteArrayView kind = read.next();
        if (start == 0) {
            RunHeader& header = record.header;
            if (kind != "Z" || read.next() != kVersion)
                break;
            header.id = read.number();
            const QByteArrayView runKind = read.next();
            header.kind = runKind == "undo" ? RunKind::Undo : RunKind::Run;
            header.startMs = read.number();
            header.undoes = read.number();
            header.path = read.text();
            header.searchText = read.text();
            if (!read.ok() || (runKind != "run" && runKind != "undo"))
                break;
        } else if (kind == "F") {
            FileEntry entry;
            entry.number = read.number();
            entry.name = read.bytes();
            entry.old = read.identity();
            entry.oldHash = read.hash();
            entry.newHash = read.hash();
            entry.kept = read.kept();
            entry.keptName = read.bytes();
            if (!read.ok() || entryAt.contains(entry.number))
                break;
            entryAt.insert(entry.number, record.entries.size());
            record.entries.append(std::move(entry));
        } else if (kind == "D" || kind == "X") {
            const qint64 number = read.number();
            const FileIdentity written = kind == "D" ? read.identity() : FileIdentity();
            const auto at = entryAt.constFind(number);
            if (!read.ok() || at == entryAt.cend())
                break;
            if (kind == "D")
                record.entries[*at].written = written;
            else
                record.entries[*at].abandoned = true;
        } else if (kind == "E") {
            record.end = endFrom(*fields);
            if (!record.end)
                break;
            record.wholeLength = lineEnd + 1;
            continue;
        } else {
            break;
        }
        if (!read.ok() || !read.atEnd())
            break;
        record.wholeLength = lineEnd + 1;
    }
    if (record.wholeLength == 0)
        return pathFileAccessError(QStringLiteral("the journal's record is unreadable"));
    return record;
}

std::optional<RunEnd> endOf(const QByteArray& tail) {
    if (!tail.endsWith('\n'))
        return std::nullopt;
    const qsizetype from = tail.lastIndexOf('\n', tail.size() - 2) + 1;
    const std::optional<LineFields> fields =
        checkedFields(QByteArrayView(tail).sliced(from, tail.size() - 1 - from));
    return fields ? endFrom(*fields) : std::nullopt;
}

} // namespace zuk::journal_record
