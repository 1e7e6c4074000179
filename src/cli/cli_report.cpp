// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_report.h"

#include "cli/unified_diff.h"
#include "engine/files/path_bytes.h"
#include "engine/run/find_places.h"
#include "engine/run/one_pass_finds.h"

#include <QDir>

namespace zuk {

namespace {

QByteArray number(qint64 value) {
    return QByteArray::number(value);
}

QByteArray boolean(bool value) {
    return value ? "true" : "false";
}

QByteArray errorEvent(const QByteArray& path, const QString& message) {
    return R"({"type":"error","path":)" + path + R"(,"message":)" + jsonString(message) + "}\n";
}

QByteArray jsonFinds(const QByteArray& path, const QList<Find>& finds,
                     const QList<FindPlace>& places) {
    QByteArray out;
    for (qsizetype i = 0; i < places.size(); ++i) {
        const Find& find = finds[i];
        const FindPlace& place = places[i];
        out += R"({"type":"match","path":)" + path + R"(,"line":)" + number(place.line) +
               R"(,"column":)" + number(place.column) + R"(,"offset":)" + number(find.offset) +
               R"(,"length":)" + number(find.length) + R"(,"text":)" + jsonString(place.before) +
               R"(,"match":)" + jsonString(place.match) + R"(,"replacement":)" +
               (find.replacement ? jsonString(*find.replacement) : QByteArray("null")) + "}\n";
    }
    return out;
}

// The subject as stored, and its finds there as one pass makes them.
StoredText storedSubject(const KeptEdit& kept, const ReportFormat& format) {
    const Edit& edit = kept.edit;
    if (kept.kind == ItemKind::RightBoxText)
        return storedText(kept.originalText, format.textEncoding,
                          onePassFinds(kept.originalText, edit.finds, edit.passStarts));
    return StoredText{kept.original,
                      onePassFinds(kept.original, edit.encoding, edit.finds, edit.passStarts)};
}

} // namespace

QByteArray jsonString(QStringView text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (uchar(c) < 0x20)
                out +=
                    QByteArray("\\u00") + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    return out + '"';
}

QByteArray jsonPath(const QString& path) {
    const QByteArray bytes = encodePath(path);
    if (isValidUtf8(bytes))
        return jsonString(QString::fromUtf8(bytes));
    return R"({"bytes":")" + bytes.toBase64() + "\"}";
}

QByteArray reportOf(const KeptEdit& kept, const ReportFormat& format) {
    const Edit& edit = kept.edit;
    const bool text = kept.kind == ItemKind::RightBoxText;
    const bool failed = kept.outcome.kind != SinkOutcome::Kind::Taken;
    const QByteArray jsonName = text ? jsonString(QString::fromLatin1(kStandardInputName))
                                     : jsonPath(failed ? kept.outcome.subject : edit.path);
    if (format.kind == ReportKind::Json && (failed || edit.result.failed())) {
        const Error& error = failed ? kept.outcome.error : *edit.result.error();
        QByteArray out = errorEvent(jsonName, error.message());
        if (failed || edit.result.finds() == 0)
            return out;
    }
    if (failed || edit.result.finds() == 0 || edit.finds.isEmpty())
        return {};

    const TextEncoding encoding = text ? format.textEncoding : edit.encoding;
    if (format.kind == ReportKind::Diff && !edit.changed)
        return {};
    const StoredText stored = storedSubject(kept, format);
    if (format.kind == ReportKind::Diff) {
        const QByteArray name =
            text ? QByteArray()
                 : encodePath(QDir(format.currentDirectory).relativeFilePath(edit.path));
        const QByteArray oldName = text ? kStandardInputName : "a/" + name;
        const QByteArray newName = text ? kStandardInputName : "b/" + name;
        if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
            return binaryDiff(oldName, newName);
        return unifiedDiff(oldName, newName, stored.bytes, encoding, stored.finds, format.colour);
    }
    const QList<FindPlace> places = findPlaces(stored.bytes, encoding, stored.finds);
    if (format.kind == ReportKind::Json) {
        return jsonFinds(jsonName, stored.finds, places) + R"({"type":"file","path":)" + jsonName +
               R"(,"finds":)" + number(edit.result.finds()) + R"(,"changed":)" +
               boolean(edit.changed) + "}\n";
    }
    QByteArray out;
    const QByteArray path = text ? kStandardInputName : encodePath(edit.path);
    for (const FindPlace& place : places) {
        out += path + ':' + number(place.line) + ':' + number(place.column) + ':' +
               place.before.toUtf8() + '\n';
    }
    return out;
}

QByteArray jsonSummary(const RunCounters& counters, qint64 failed, bool cancelled) {
    return R"({"type":"summary","searched":)" + number(counters.totFiles) + R"(,"changed":)" +
           number(counters.filesDone) + R"(,"replaced":)" + number(counters.replaceMade) +
           R"(,"failed":)" + number(failed) + R"(,"cancelled":)" + boolean(cancelled) + "}\n";
}

} // namespace zuk
