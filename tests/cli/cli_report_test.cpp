// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_report.h"
#include "engine/files/path_bytes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

Edit editOf(const QString& path, QList<Find> finds) {
    Edit edit;
    edit.path = path;
    edit.result = RoutineResult::found(finds.size());
    edit.finds = std::move(finds);
    edit.changed = true;
    return edit;
}

} // namespace

// The offsets of each match event point at the matched bytes of the file as stored.
TEST(CliReport, JsonOffsetsPointAtTheMatchedBytes) {
    const QByteArray original = "\xEF\xBB\xBFx\xC3\xA9\r\n\"a\"\tb";
    Edit edit = editOf("/t/f.txt", {Find{4, 2, "e"}, Find{9, 1, "\\"}});
    edit.encoding = TextEncoding::Utf8Bom;
    const KeptEdit kept{edit, ItemKind::DirectoryFile, original, {}, SinkOutcome::taken()};
    const QList<QByteArray> events = reportOf(kept, {ReportKind::Json, false, {}}).split('\n');
    ASSERT_EQ(events.size(), 4); // two matches, the file, and the empty piece after the last
    for (int i = 0; i < 2; ++i) {
        const QJsonObject match = QJsonDocument::fromJson(events[i]).object();
        EXPECT_EQ(match["type"], "match");
        EXPECT_EQ(match["path"], "/t/f.txt");
        const QByteArray bytes =
            original.mid(match["offset"].toInteger(), match["length"].toInteger());
        EXPECT_EQ(QString::fromUtf8(bytes), match["match"].toString());
        EXPECT_EQ(match["replacement"], edit.finds[i].replacement.value());
    }
    const QJsonObject second = QJsonDocument::fromJson(events[1]).object();
    EXPECT_EQ(second["line"], 2);
    EXPECT_EQ(second["column"], 2);
    EXPECT_EQ(second["text"], "\"a\"\tb");
    EXPECT_EQ(
        QJsonDocument::fromJson(events[2]).object(),
        (QJsonObject{{"type", "file"}, {"path", "/t/f.txt"}, {"finds", 2}, {"changed", true}}));
}

TEST(CliReport, ListAndPathsAsBytes) {
    const Edit edit = editOf("/t/f", {Find{3, 1, "b"}});
    const KeptEdit kept{edit, ItemKind::DirectoryFile, "xy\nza\r\n", {}, SinkOutcome::taken()};
    EXPECT_EQ(reportOf(kept, {ReportKind::List, false, {}}), "/t/f:2:1:za\n");
    EXPECT_EQ(jsonPath(decodePath("/t/\xFF")), R"({"bytes":"L3Qv/w=="})");
    EXPECT_EQ(jsonString(u"\x01\"\\"), R"("\u0001\"\\")");
}

TEST(CliReport, AFailureIsAnErrorEvent) {
    Edit edit = editOf("/t/f", {});
    const KeptEdit kept{edit,
                        ItemKind::DirectoryFile,
                        {},
                        {},
                        SinkOutcome::subjectFailed(makeError(ErrorNumber::FileNotFound), "/t/f")};
    const QJsonObject error =
        QJsonDocument::fromJson(reportOf(kept, {ReportKind::Json, false, {}})).object();
    EXPECT_EQ(error["type"], "error");
    EXPECT_FALSE(error["message"].toString().isEmpty());
    EXPECT_TRUE(reportOf(kept, {ReportKind::List, false, {}}).isEmpty());
}

// The text on standard input is named "(standard input)" and placed in its encoding's bytes; a
// text edited in passes is told as one pass over the text as it was.
TEST(CliReport, TheTextOnStandardInput) {
    Edit edit = editOf({}, {Find{2, 1, "b"}});
    const Edit passes = [] {
        Edit e = editOf({}, {Find{0, 2, "xyz"}, Find{1, 3, "Q"}});
        e.passStarts = {1};
        return e;
    }();
    const struct {
        const Edit& edit;
        QString text;
        ReportFormat format;
        QByteArray expected;
    } cases[] = {
        {edit,
         "é a\n",
         {ReportKind::List, false, {}, TextEncoding::Utf8},
         "(standard input):1:4:é a\n"},
        {edit,
         "é a\n",
         {ReportKind::List, false, {}, TextEncoding::Utf16LE},
         "(standard input):1:7:é a\n"},
        {edit,
         "é a\n",
         {ReportKind::Diff, false, {}, TextEncoding::Utf8},
         "--- (standard input)\n+++ (standard input)\n@@ -1,1 +1,1 @@\n-é a\n+é b\n"},
        {passes,
         "ab cd",
         {ReportKind::List, false, {}, TextEncoding::Utf8},
         "(standard input):1:1:ab cd\n"},
    };
    for (const auto& c : cases) {
        const KeptEdit kept{c.edit, ItemKind::RightBoxText, {}, c.text, SinkOutcome::taken()};
        EXPECT_EQ(reportOf(kept, c.format), c.expected) << c.expected.constData();
    }
    const KeptEdit kept{passes, ItemKind::RightBoxText, {}, "ab cd", SinkOutcome::taken()};
    const QJsonObject match =
        QJsonDocument::fromJson(reportOf(kept, {ReportKind::Json, false, {}}).split('\n').first())
            .object();
    EXPECT_EQ(match["path"], "(standard input)");
    EXPECT_EQ(match["match"], "ab ");
    EXPECT_EQ(match["replacement"], "xQ");
}
