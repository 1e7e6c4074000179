// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/keeping_sink.h"
#include "engine/run/run_state.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QString>

namespace zuk {

// What the command line prints of a run's finds on standard output.
enum class ReportKind { None, List, Diff, Json };

struct ReportFormat {
    ReportKind kind = ReportKind::None;
    bool colour = false;                            // the diff's
    QString currentDirectory;                       // the diff's names are relative to it
    TextEncoding textEncoding = TextEncoding::Utf8; // of the text on standard input
};

// What stands for the text on standard input where a report names its subject.
inline constexpr char kStandardInputName[] = "(standard input)";

// A JSON string of the text, or of a path: a string when its bytes are UTF-8, otherwise
// {"bytes":"BASE64"}.
QByteArray jsonString(QStringView text);
QByteArray jsonPath(const QString& path);

// What the report prints for one subject the run took: a file, or the text on standard input,
// placed in the bytes of its encoding. The finds of several passes are told as finds in the
// subject as it was (onePassFinds).
QByteArray reportOf(const KeptEdit& kept, const ReportFormat& format);
// The JSON report's last line.
QByteArray jsonSummary(const RunCounters& counters, qint64 failed, bool cancelled);

} // namespace zuk
