// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_entry.h"
#include "batch/batch_file.h"
#include "batch/batch_file_reader.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zuk;

namespace {

using Piece = std::optional<QString>;

enum class Read { Field, Line, Quoted };

struct ReaderCase {
    const char* name;
    Read read;
    QString text;
    std::vector<Piece> pieces; // every piece up to the end of the text
};

// The help text's quoted example, each line after a tab.
const QString kHelpQuoted = QStringLiteral("\t\"Find \r\n\tThis\"|\"replace\r\n\r\n"
                                           "\t with this\"\r\n\t\"Another Item\"|\"Replaced "
                                           "with this\"\r\n");

class ReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, ReadsEveryPiece) {
    const ReaderCase& c = GetParam();
    BatchFileReader reader(c.text);
    std::vector<Piece> pieces;
    while (!reader.atEnd() && pieces.size() <= c.pieces.size()) {
        switch (c.read) {
        case Read::Field:
            pieces.push_back(reader.ReadBatchField());
            break;
        case Read::Line:
            pieces.push_back(reader.ReadBatchLine());
            break;
        case Read::Quoted:
            pieces.push_back(reader.ReadQuotedEntry());
            break;
        }
    }
    EXPECT_EQ(pieces, c.pieces);
}

// A big entry costs its own size once, not the whole file's again: the reader reads the text
// it shares with its caller and never takes a copy of its own.
TEST(BatchFileReaderTest, ReadsTheTextWithoutACopyOfItsOwn) {
    const QString text = QStringLiteral(" \"a\"|\"b\",c d\r\n").repeated(3);
    for (const Read read : {Read::Field, Read::Line, Read::Quoted}) {
        BatchFileReader reader(text);
        while (!reader.atEnd()) {
            if (read == Read::Field)
                (void)reader.ReadBatchField();
            else if (read == Read::Line)
                (void)reader.ReadBatchLine();
            else
                (void)reader.ReadQuotedEntry();
        }
        EXPECT_FALSE(text.isDetached()) << int(read);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ReaderTest,
    ::testing::Values(ReaderCase{"FieldEndsAtCommaAndEveryLineBreak",
                                 Read::Field,
                                 "a|b,c\r\nd\re\nf",
                                 {"a|b", "c", "d", "e", "f"}},
                      ReaderCase{"FieldSkipsLeadingBlanksOnlyAndKeepsTrailingOnes",
                                 Read::Field,
                                 "  a|b  \r\n\tc ",
                                 {"a|b  ", "\tc "}},
                      ReaderCase{"EmptyLineIsAnEmptyField",
                                 Read::Field,
                                 "x\r\n\r\ny\n\ny",
                                 {"x", "", "y", "", "y"}},
                      ReaderCase{"QuotedFieldHoldsCommasAndLineBreaksAndWhatFollowsItsQuote",
                                 Read::Field,
                                 "\"a,b\r\nc\"d\"|e,f",
                                 {"a,b\r\ncd\"|e", "f"}},
                      ReaderCase{"QuotedFieldWithoutClosingQuoteRunsToTheEnd",
                                 Read::Field,
                                 "x,\"a,b\r\n",
                                 {"x", "a,b\r\n"}},
                      ReaderCase{"HelpQuotedExampleByField",
                                 Read::Field,
                                 kHelpQuoted,
                                 {"\t\"Find ", "\tThis\"|\"replace", "", "\t with this\"",
                                  "\t\"Another Item\"|\"Replaced with this\""}},
                      ReaderCase{"LineEndsAtCrLfCrOrLfAndKeepsCommasAndQuotes",
                                 Read::Line,
                                 "a|b,c\r\nd\re\n\"f\"\r\n\r\n",
                                 {"a|b,c", "d", "e", "\"f\"", ""}},
                      ReaderCase{"LastLineWithoutBreak", Read::Line, "a|b\r\nc|d", {"a|b", "c|d"}},
                      ReaderCase{"QuotedEntriesOnCrLfLines",
                                 Read::Quoted,
                                 "\"a\"|\"b\"\r\n\"c\"|\"d\"\r\n",
                                 {"a|b", "c|d"}},
                      ReaderCase{"EmptyLineBetweenQuotedEntriesStartsTheNextSearch",
                                 Read::Quoted,
                                 "\"a\"|\"b\"\r\n\r\n\"c\"|\"d\"\r\n",
                                 {"a|b", "\r\nc|d"}},
                      ReaderCase{"OneLineBreakOfAnyFormAfterTheFourthQuote",
                                 Read::Quoted,
                                 "\"a\"|\"b\"\n\"c\"|\"d\"\r\"e\"|\"f\"\r\n",
                                 {"a|b", "c|d", "e|f"}},
                      ReaderCase{"TwoCharactersDroppedWhenNoLineBreakFollows",
                                 Read::Quoted,
                                 "\"a\"|\"b\"xy\"c\"|\"d\"z",
                                 {"a|b", "c|d"}},
                      ReaderCase{"LastEntryEndingAtItsFourthQuoteIsComplete",
                                 Read::Quoted,
                                 "\"a\"|\"b\"\r\n\"c\"|\"d\"",
                                 {"a|b", "c|d"}},
                      ReaderCase{"EntryCutByTheEndIsIncomplete",
                                 Read::Quoted,
                                 "\"a\"|\"b\"\r\n\"c\"|\"d",
                                 {"a|b", std::nullopt}},
                      ReaderCase{"HelpQuotedExampleByEntry",
                                 Read::Quoted,
                                 kHelpQuoted,
                                 {"\tFind \r\n\tThis|replace\r\n\r\n\t with this",
                                  "\tAnother Item|Replaced with this"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
    QString entry;
    QString delimiter;
    std::optional<BatchEntry> split;
};

TEST(SplitEntryTest, CutsAtTheFirstTwoDelimitersExactly) {
    const SplitCase cases[] = {
        {"Find This|replace with this", "|", BatchEntry{"Find This", "replace with this"}},
        {"a|b|c", "|", BatchEntry{"a", "b"}},
        {"|x", "|", BatchEntry{"", "x"}},
        {"a|", "|", BatchEntry{"a", ""}},
        {" a |\tb\r\n", "|", BatchEntry{" a ", "\tb\r\n"}},
        {"a::b:c::d", "::", BatchEntry{"a", "b:c"}},
        {"a:b", "::", std::nullopt},
        {"aXb", "x", std::nullopt},
        {"ab", "|", std::nullopt},
        {"a|b", "", std::nullopt},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitEntry(c.entry, c.delimiter), c.split)
            << c.entry.toStdString() << " / " << c.delimiter.toStdString();
}

struct CheckCase {
    QString text;
    BatchFormat format;
    bool passes;
};

TEST(CheckBatchFileTest, PassesOnTheFirstFieldWithTheDelimiter) {
    const QString plain =
        QStringLiteral("\tFind This|replace with this\r\n\tAnother Item|Replaced with this\r\n");
    const CheckCase cases[] = {
        {plain, {"|", false}, true},
        {plain, {"#", false}, false},
        {plain, {"|", true}, false},
        {plain, {"", false}, false},
        {"", {"|", false}, false},
        {"no entry\r\nat all", {"|", false}, false},
        {kHelpQuoted, {"|", true}, true},
        // Laid out without the tabs, the fields start with their quote: what follows the
        // closing quote must join the field for the file to pass.
        {QString(kHelpQuoted).remove(u'\t'), {"|", true}, true},
        {"\"a|b\"", {"|", true}, false},
        {"a::b", {"::", false}, true},
    };
    for (const CheckCase& c : cases)
        EXPECT_EQ(CheckBatchFile(c.text, c.format), c.passes)
            << c.text.toStdString() << " / " << c.format.delimiter.toStdString();
}

TEST(CheckBatchFileTest, StopsFailedWhenTheHookSaysSo) {
    int calls = 0;
    EXPECT_FALSE(CheckBatchFile("x\r\ny\r\na|b\r\n", {"|", false}, [&] { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

} // namespace
