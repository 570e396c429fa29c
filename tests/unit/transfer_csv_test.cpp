// The comma-separated reader and writer behind import and export: RFC 4180 quoting, both line
// endings, UTF-8 only, and every malformed file refused with the line where the fault lies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/transfer/CsvReader.h"
#include "maintenance/transfer/CsvWriter.h"
#include "maintenance/transfer/Utf8Text.h"

namespace tessavo::maintenance::transfer {
namespace {

using Fields = std::vector<std::string>;

struct GoodCase {
    const char* name;
    std::string text;
    std::vector<Fields> records;
    std::vector<std::size_t> lines;
};

class CsvReading : public testing::TestWithParam<GoodCase> {};

TEST_P(CsvReading, GivesEveryFieldAndTheLineItStartsOn) {
    const std::vector<CsvRecord> records = readCsvRecords(GetParam().text);
    std::vector<Fields> fields;
    std::vector<std::size_t> lines;
    for (const CsvRecord& record : records) {
        fields.push_back(record.fields);
        lines.push_back(record.line);
    }
    EXPECT_EQ(fields, GetParam().records);
    EXPECT_EQ(lines, GetParam().lines);
}

// The text handed over in pieces of `size` bytes, as an import reads a file.
std::vector<CsvRecord> readInPieces(std::string_view text, std::size_t size) {
    CsvRecordStream stream;
    std::vector<CsvRecord> records;
    for (std::size_t at = 0; at < text.size(); at += size) stream.feed(text.substr(at, size), records);
    stream.finish(records);
    return records;
}

// Every cut of the text, down to single bytes (inside a quote, a line break or a character).
TEST_P(CsvReading, GivesTheSameRecordsInPiecesOfAnySize) {
    const std::string& text = GetParam().text;
    const std::vector<CsvRecord> whole = readCsvRecords(text);
    for (std::size_t size = 1; size <= text.size(); ++size) {
        const std::vector<CsvRecord> pieces = readInPieces(text, size);
        ASSERT_EQ(pieces.size(), whole.size()) << "pieces of " << size;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(pieces[i].fields, whole[i].fields) << "pieces of " << size;
            EXPECT_EQ(pieces[i].line, whole[i].line) << "pieces of " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvReading,
    testing::Values(GoodCase{"LineFeeds", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
                    GoodCase{"CarriageReturnLineFeeds", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
                    GoodCase{"NoBreakAtTheEnd", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
                    GoodCase{"EmptyFields", ",,\n\"\",x,\n", {{"", "", ""}, {"", "x", ""}}, {1, 2}},
                    GoodCase{
                        "QuotedCommaAndDoubledQuote", "\"a,b\",\"say \"\"hi\"\"\"\n", {{"a,b", "say \"hi\""}}, {1}},
                    GoodCase{"LineBreaksInsideQuotesCountLines",
                             "h1,h2\n\"one\r\ntwo\nthree\",x\nnext,row\n",
                             {{"h1", "h2"}, {"one\r\ntwo\nthree", "x"}, {"next", "row"}},
                             {1, 2, 5}},
                    GoodCase{"EmptyLinesAreNoRecords", "a\n\n\nb\n\n", {{"a"}, {"b"}}, {1, 4}},
                    GoodCase{"AQuotedEmptyFieldIsARecord", "a\n\"\"\n", {{"a"}, {""}}, {1, 2}},
                    GoodCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFname,url\n", {{"name", "url"}}, {1}},
                    GoodCase{"ChineseAndEmoji", "标题,\"密码 😀\"\n", {{"标题", "密码 😀"}}, {1}},
                    GoodCase{"LoneCarriageReturnIsText", "a\rb,c\n", {{"a\rb", "c"}}, {1}},
                    GoodCase{"BlanksStay", " a , b \n", {{" a ", " b "}}, {1}},
                    GoodCase{"NulIsText", std::string("a\0b,c\n", 6), {{std::string("a\0b", 3), "c"}}, {1}},
                    GoodCase{"Nothing", "", {}, {}}),
    [](const testing::TestParamInfo<GoodCase>& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string text;
    std::size_t line;
    const char* reason;
};

class CsvRefusal : public testing::TestWithParam<BadCase> {};

TEST_P(CsvRefusal, NamesTheLineAndTheFault) {
    try {
        (void)readCsvTable(GetParam().text);
        FAIL() << "read without complaint";
    } catch (const CsvError& error) {
        EXPECT_EQ(error.line(), GetParam().line);
        EXPECT_EQ(error.reason(), GetParam().reason);
        EXPECT_EQ(std::string(error.what()), "line " + std::to_string(GetParam().line) + ": " + GetParam().reason);
    }
}

// The import's reading: records in pieces, the first the header, every row checked against it.
void readTableInPieces(std::string_view text, std::size_t size) {
    const std::vector<CsvRecord> records = readInPieces(text, size);
    if (records.empty()) throw CsvError(1, "the file is empty; a header row is expected");
    for (std::size_t i = 1; i < records.size(); ++i) checkFieldCount(records[i], records.front().fields.size());
}

TEST_P(CsvRefusal, NamesTheSameLineAndFaultInPiecesOfAnySize) {
    const std::string& text = GetParam().text;
    for (std::size_t size = 1; size <= std::max<std::size_t>(text.size(), 1); ++size) {
        try {
            readTableInPieces(text, size);
            ADD_FAILURE() << "read without complaint in pieces of " << size;
        } catch (const CsvError& error) {
            EXPECT_EQ(error.line(), GetParam().line) << "pieces of " << size;
            EXPECT_EQ(error.reason(), GetParam().reason) << "pieces of " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRefusal,
    testing::Values(BadCase{"UnterminatedQuote", "a,b\nc,d\n\"open,x\ny,z\n", 3, "a quoted field is never closed"},
                    BadCase{"TooFewFields", "a,b,c\n1,2,3\n1,2\n", 3, "the row has 2 fields where the header has 3"},
                    BadCase{"TooManyFieldsAfterAMultiLineRow", "a,b\n\"x\ny\",z\n1,2,3\n", 4,
                            "the row has 3 fields where the header has 2"},
                    BadCase{"Latin1Byte", "name\ncaf\xE9\n", 2, "the text is not UTF-8"},
                    BadCase{"OverlongSlash", "a\nb\n\xC0\xAF\n", 3, "the text is not UTF-8"},
                    BadCase{"Surrogate", "\xED\xA0\x80\n", 1, "the text is not UTF-8"},
                    BadCase{"CutSequenceAtTheEnd", "a\n\xE5\xAF", 2, "the text is not UTF-8"},
                    BadCase{"QuoteInsidePlainField", "a,b\nx\"y,z\n", 2,
                            "a quote inside a field that does not start with one"},
                    BadCase{"TextAfterClosingQuote", "a,b\n\"x\"y,z\n", 2,
                            "a closing quote is followed by something other than a comma or a line break"},
                    BadCase{"EmptyFile", "", 1, "the file is empty; a header row is expected"},
                    BadCase{"OnlyEmptyLines", "\r\n\n", 1, "the file is empty; a header row is expected"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(CsvTable, SplitsTheHeaderFromTheRows) {
    const CsvTable table = readCsvTable("name,url\r\nA,http://a\r\nB,\r\n");
    EXPECT_EQ(table.header.fields, (Fields{"name", "url"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1].fields, (Fields{"B", ""}));
    EXPECT_EQ(table.rows[1].line, 3u);
}

struct WriteCase {
    Fields fields;
    bool quoteEveryField;
    std::string line;
};

class CsvWriting : public testing::TestWithParam<WriteCase> {};

TEST_P(CsvWriting, QuotesWhereNeededAndReadsBackTheSameFields) {
    const CsvStyle style{GetParam().quoteEveryField, "\r\n"};
    const std::string line = csvLine(GetParam().fields, style);
    EXPECT_EQ(line, GetParam().line);
    const std::vector<CsvRecord> back = readCsvRecords(line);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Cases, CsvWriting,
                         testing::Values(WriteCase{{"a", "b"}, false, "a,b\r\n"},
                                         WriteCase{{"a", "b"}, true, "\"a\",\"b\"\r\n"},
                                         WriteCase{{"a,b", "", "c"}, false, "\"a,b\",,c\r\n"},
                                         WriteCase{{"say \"hi\""}, false, "\"say \"\"hi\"\"\"\r\n"},
                                         WriteCase{{"x\r\ny", "z\n"}, false, "\"x\r\ny\",\"z\n\"\r\n"},
                                         WriteCase{{"", ""}, true, "\"\",\"\"\r\n"},
                                         WriteCase{{"密码😀", " "}, false, "密码😀, \r\n"}));

TEST(CsvWriting, EndsEachLineWithTheStylesBreak) {
    EXPECT_EQ(csvLine({"a", "b"}, CsvStyle{true, "\n"}), "\"a\",\"b\"\n");
}

TEST(Utf8Text, FindsTheFirstBadByte) {
    EXPECT_EQ(firstInvalidUtf8("plain 中文 😀"), std::nullopt);
    EXPECT_EQ(firstInvalidUtf8("ab\xFF"), 2u);
    EXPECT_EQ(firstInvalidUtf8("\xF4\x90\x80\x80"), 0u) << "past U+10FFFF";
    EXPECT_EQ(firstInvalidUtf8("a\xE0\x80\x80"), 1u) << "overlong";
    EXPECT_EQ(firstInvalidUtf8("\xC3"), 0u) << "cut short";
}

}  // namespace
}  // namespace tessavo::maintenance::transfer
