// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_report.h"

#include "cli/unified_diff.h"
#include "engine/files/path_bytes.h"
#include "engine/run/find_places.h"

#include <QDir>

namespace zuk {

namespace {

QByteArray number(qint64 value) {
    return QByteArray::number(value);
}

QByteArray boolean(bool value) {
    return value ? "true" : "false";
}

QByteArray errorEvent(const QString& path, const QString& message) {
    return R"({"type":"error","path":)" + jsonPath(path) + R"(,"message":)" + jsonString(message) +
           "}\n";
}

QByteArray jsonFinds(const KeptEdit& kept, const QList<FindPlace>& places) {
    QByteArray out;
    const QByteArray path = jsonPath(kept.edit.path);
    for (qsizetype i = 0; i < places.size(); ++i) {
        const Find& find = kept.edit.finds[i];
        const FindPlace& place = places[i];
        out += R"({"type":"match","path":)" + path + R"(,"line":)" + number(place.line) +
               R"(,"column":)" + number(place.column) + R"(,"offset":)" + number(find.offset) +
               R"(,"length":)" + number(find.length) + R"(,"text":)" + jsonString(place.before) +
               R"(,"match":)" + jsonString(place.match) + R"(,"replacement":)" +
               (find.replacement ? jsonString(*find.replacement) : QByteArray("null")) + "}\n";
    }
    return out;
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
    const bool failed = kept.outcome.kind != SinkOutcome::Kind::Taken;
    if (format.kind == ReportKind::Json && (failed || edit.result.failed())) {
        const Error& error = failed ? kept.outcome.error : *edit.result.error();
        QByteArray out = errorEvent(failed ? kept.outcome.subject : edit.path, error.message());
        if (failed || edit.result.finds() == 0)
            return out;
    }
    if (failed || edit.result.finds() == 0 || edit.finds.isEmpty())
        return {};

    if (format.kind == ReportKind::Diff) {
        if (!edit.changed)
            return {};
        const QByteArray name =
            encodePath(QDir(format.currentDirectory).relativeFilePath(edit.path));
        if (edit.encoding == TextEncoding::Utf16LE || edit.encoding == TextEncoding::Utf16BE)
            return binaryDiff(name);
        return unifiedDiff(name, kept.original, edit.encoding, edit.finds, format.colour);
    }
    const QList<FindPlace> places = findPlaces(kept.original, edit.encoding, edit.finds);
    if (format.kind == ReportKind::Json) {
        return jsonFinds(kept, places) + R"({"type":"file","path":)" + jsonPath(edit.path) +
               R"(,"finds":)" + number(edit.result.finds()) + R"(,"changed":)" +
               boolean(edit.changed) + "}\n";
    }
    QByteArray out;
    const QByteArray path = encodePath(edit.path);
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
