// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_listing.h"

#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

const QString kRule = QString(68, u'_');

QString listed(int n, const QString& search, const QString& replace) {
    const QString number = QString::number(n);
    return "- SEARCH FOR " + number + ": -\r\n" + search + "\r\n\r\n- REPLACE WITH " + number +
           ": -\r\n" + replace + "\r\n" + kRule + "\r\n\r\n";
}

struct ListingCase {
    const char* name;
    QString text;
    BatchFormat format;
    QString listing;
};

TEST(BatchListingTest, ListsEachEntryAsTheTestViewShowsIt) {
    const ListingCase cases[] = {
        {"help example",
         "\tFind This|replace with this\r\n\tAnother Item|Replaced with this\r\n",
         {"|", false},
         listed(1, "\tFind This", "replace with this") +
             listed(2, "\tAnother Item", "Replaced with this")},
        {"comma ends the field", "a|b,c\r\n", {"|", false}, listed(1, "a", "b")},
        {"third part ignored", "a|b|c\r\n", {"|", false}, listed(1, "a", "b")},
        {"empty search", "|x\r\n", {"|", false}, listed(1, "", "x")},
        {"lines without delimiter skipped",
         "x\r\n\r\na|b\nc|d",
         {"|", false},
         listed(1, "a", "b") + listed(2, "c", "d")},
        {"two-character delimiter", "a::b:c\r\nd:e\r\n", {"::", false}, listed(1, "a", "b:c")},
        {"quoted, empty line between",
         "\"a\"|\"b\"\r\n\r\n\"c\r\n\"|\"d\"",
         {"|", true},
         listed(1, "a", "b") + listed(2, "\r\nc\r\n", "d")},
        {"quoted, unclosed last entry left out and said so",
         "\"a\"|\"b\"\r\n\"c\"|\"d",
         {"|", true},
         listed(1, "a", "b") + kUnclosedEntryText + "\r\n"},
        {"quoted, only line breaks after the last entry",
         "\"a\"|\"b\"\r\n\r\n\r\n",
         {"|", true},
         listed(1, "a", "b")},
        {"quoted, a field's quote at the end",
         "\"a\"|\"b\"\r\n\"",
         {"|", true},
         listed(1, "a", "b") + kUnclosedEntryText + "\r\n"},
    };
    for (const ListingCase& c : cases)
        EXPECT_EQ(batchListing(c.text, c.format), c.listing) << c.name;
}

class TestBatchFileTest : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& bytes) const {
        const QString path = m_dir.filePath(name);
        test::writeBytes(path, bytes);
        return path;
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompter m_prompter;
};

TEST_F(TestBatchFileTest, RefusesWithOneMessageAndNoListing) {
    const QByteArray help = "Find This|replace with this\r\nAnother Item|Replaced with this\r\n";
    QDir(m_dir.path()).mkdir("folder");
    const struct {
        QString path;
        QString delimiter;
        QString message;
    } cases[] = {
        {"", "|", kNoBatchFileText},
        {m_dir.filePath("folder"), "|", kNoBatchFileText},
        {m_dir.filePath("missing.txt"), "|", kNoBatchFileText},
        {file(".hidden.txt", help), "|", kNoBatchFileText},
        {file("help.txt", help), "", kNoDelimiterText},
        {file("help.txt", help), "#", kBatchFailedTestText},
        {file("nul.txt", QByteArray("a|b\0", 4)), "|",
         "ERROR: 75 Path/File access error (not text)"},
    };
    for (const auto& c : cases) {
        m_prompter.shown.clear();
        EXPECT_EQ(testBatchFile(c.path, {c.delimiter, false}, m_prompter), std::nullopt);
        EXPECT_EQ(m_prompter.texts(), QStringList{c.message}) << c.path.toStdString();
    }
}

TEST_F(TestBatchFileTest, DecodesTheFileLikeAnyFileTheUserOwns) {
    const struct {
        QByteArray bytes;
        QString search;
    } cases[] = {
        {"caf\xc3\xa9|x", QStringLiteral("caf\u00e9")},
        {"\xef\xbb\xbf"
         "caf\xc3\xa9|x",
         QStringLiteral("caf\u00e9")},
        {"caf\xe9 \x80|x", QStringLiteral("caf\u00e9 \u20ac")},
    };
    for (const auto& c : cases) {
        const std::optional<QString> listing =
            testBatchFile(file("entries.txt", c.bytes), {"|", false}, m_prompter);
        EXPECT_EQ(listing, listed(1, c.search, "x")) << c.bytes.toHex().toStdString();
    }
    EXPECT_TRUE(m_prompter.shown.isEmpty());
}

} // namespace
