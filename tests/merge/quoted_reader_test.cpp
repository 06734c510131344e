#include "merge/quoted_reader.h"

#include "merge/read_quoted_source_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using testing_support::TempDir;
using Records = std::vector<std::vector<std::string>>;

struct Read {
  Records records;
  bool quote_left_open = false;
};

// Every record the reader gives, to the end of the data.
Records RecordsOf(merge::QuotedRecordReader& reader) {
  Records records;
  std::vector<std::string_view> fields;
  do {
    reader.NextRecord(fields);
    records.emplace_back(fields.begin(), fields.end());
  } while (!reader.AtDataEnd());
  return records;
}

Read ReadAll(const std::string& path, std::optional<char> delimiter, std::size_t block_size) {
  merge::QuotedRecordReader reader(path, delimiter, block_size);
  Read out;
  out.records = RecordsOf(reader);
  out.quote_left_open = reader.QuoteLeftOpen();
  return out;
}

struct RecordCase {
  const char* name;
  std::string bytes;
  Records records;
  bool quote_left_open = false;
  std::optional<char> delimiter = ',';
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.name;
}

class QuotedRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(QuotedRecords, GiveTheseFields) {
  const RecordCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("f.csv", c.bytes);
  // Small blocks too, so that quotes, doubled quotes and CR LF pairs
  // straddle blocks and records outgrow them; 64 is the reader's window of
  // marked bytes.
  for (std::size_t block : {std::size_t{16}, std::size_t{17}, std::size_t{19}, std::size_t{64},
                            merge::QuotedRecordReader::kDefaultBlockSize}) {
    const Read read = ReadAll(path, c.delimiter, block);
    EXPECT_EQ(read.records, c.records) << "block " << block;
    EXPECT_EQ(read.quote_left_open, c.quote_left_open) << "block " << block;
  }
}

const std::string kZ(1, '\x1a');

INSTANTIATE_TEST_SUITE_P(
    SpreadsheetExports, QuotedRecords,
    ::testing::Values(
        RecordCase{"DelimiterInQuotes",
                   "id,name,sum\r\n1,\"Smith, John\",5\r\n2,\"Doe, Jane\",7\r\n",
                   {{"id", "name", "sum"}, {"1", "Smith, John", "5"}, {"2", "Doe, Jane", "7"}}},
        RecordCase{"LineBreaksInQuotes",
                   "1,\"first line\r\nsecond line\",x\r\n2,\"a\nb\",y\r\n",
                   {{"1", "first line\r\nsecond line", "x"}, {"2", "a\nb", "y"}}},
        RecordCase{"DoubledQuotes",
                   "\"He said \"\"yes\"\"\",\"\"\"\",\"\"\"\"\"\"\r\n",
                   {{"He said \"yes\"", "\"", "\"\""}}},
        RecordCase{"EmptyQuotedFields", "\"\",\"\",a,\"\"\r\n", {{"", "", "a", ""}}},
        RecordCase{"TrailingDelimiterClosesAnEmptyField", "a,\"b\",\r\n", {{"a", "b", ""}}},
        RecordCase{"LongQuotedFieldOverBlocks",
                   "\"" + std::string(40, 'x') + "\"\"" + std::string(40, ',') + "\",z\n",
                   {{std::string(40, 'x') + "\"" + std::string(40, ','), "z"}}},
        RecordCase{"EmptyFile", "", {{}}},
        RecordCase{"EmptyLinesStayEmptyRecords", "a\r\n\r\n\"\"\r\n", {{"a"}, {}, {""}}}));

INSTANTIATE_TEST_SUITE_P(
    MalformedKept, QuotedRecords,
    ::testing::Values(RecordCase{"QuoteInsideFieldIsOrdinary", "ab\"c,d\"\r\n", {{"ab\"c", "d\""}}},
                      RecordCase{"TextAfterClosingQuoteKept", "\"ab\"cd,e\n", {{"abcd", "e"}}},
                      RecordCase{
                          "QuoteAfterClosingQuoteIsOrdinary", "\"a\"b\"c,d\n", {{"ab\"c", "d"}}},
                      RecordCase{"UnterminatedRunsToEnd",
                                 "1,2\r\n3,\"open,\r\n4,5\r\n",
                                 {{"1", "2"}, {"3", "open,\r\n4,5\r\n"}},
                                 true},
                      RecordCase{"QuoteAsLastByte", "a,\"", {{"a", ""}}, true},
                      RecordCase{"ClosingQuoteAsLastByte", "a,\"b\"", {{"a", "b"}}}));

INSTANTIATE_TEST_SUITE_P(
    LineRulesOutsideQuotesOnly, QuotedRecords,
    ::testing::Values(
        RecordCase{"CrAloneEndsARecordInsideKept", "a\rb,\"c\rd\"\r\n", {{"a"}, {"b", "c\rd"}}},
        RecordCase{"CrBeforeOpeningQuote", "\r\"a,b\"\n", {{}, {"a,b"}}},
        RecordCase{"CrThenCrLfGiveTwoEmptyRecords", "\r\r\nx", {{}, {}, {"x"}}},
        RecordCase{"CtrlZInsideQuotesKept", "\"a" + kZ + "b\",c\n", {{"a" + kZ + "b", "c"}}},
        RecordCase{
            "CtrlZBeforeTheLastByteIsText", "a,b" + kZ + "c\nd\n", {{"a", "b" + kZ + "c"}, {"d"}}},
        RecordCase{"CtrlZAtRecordStart", "a\n" + kZ + "b\n", {{"a"}, {kZ + "b"}}},
        RecordCase{"CtrlZFirstByte", kZ + "a\n", {{kZ + "a"}}},
        RecordCase{"CtrlZLastByteEndsData", "a\n" + kZ, {{"a"}}},
        RecordCase{"CtrlZLastByteAfterADelimiter", "a," + kZ, {{"a", ""}}},
        RecordCase{"NoDelimiterQuotesStillSpanLines",
                   "\"a,b\nc\"\nd,e\n",
                   {{"a,b\nc"}, {"d,e"}},
                   false,
                   std::nullopt},
        RecordCase{"QuoteAsDelimiterSplits", "a\"b\"\"c\n", {{"a", "b", "", "c"}}, false, '"'},
        RecordCase{"TabDelimiter", "\"a\tb\"\tc\n", {{"a\tb", "c"}}, false, '\t'},
        RecordCase{"SpaceDelimiter", "\"a b\" c\n", {{"a b", "c"}}, false, ' '}));

// The reader marks special bytes 64 at a time: what a byte means must not
// change where one window ends and the next begins (between bytes 63 and 64
// of the file), nor at the very end of the data.
const std::string kA62(62, 'a');
const std::string kA63(63, 'a');

INSTANTIATE_TEST_SUITE_P(
    MarkWindowEdges, QuotedRecords,
    ::testing::Values(
        RecordCase{"DoubledQuoteAcrossWindows", "\"" + kA62 + "\"\"b\",c\n", {{kA62 + "\"b", "c"}}},
        RecordCase{"ClosingQuoteLastInWindow", "\"" + kA62 + "\",c\n", {{kA62, "c"}}},
        RecordCase{"CrLfAcrossWindows", kA63 + "\r\nb\n", {{kA63}, {"b"}}},
        RecordCase{"DelimitersAcrossWindows", kA63 + ",,b\n", {{kA63, "", "b"}}},
        RecordCase{"QuoteOpensFieldFirstInWindow", kA63 + ",\"b,c\"\n", {{kA63, "b,c"}}},
        RecordCase{"FieldEndsAtTheLastByte",
                   std::string(30, 'a') + "," + std::string(33, 'b'),
                   {{std::string(30, 'a'), std::string(33, 'b')}}},
        RecordCase{"QuotedFieldEndsAtTheLastByte",
                   kA62 + ",\"" + std::string(61, 'b') + "\"\"\"",
                   {{kA62, std::string(61, 'b') + "\""}}},
        RecordCase{"CtrlZFirstInWindow", kA63 + "," + kZ + "b\n", {{kA63, kZ + "b"}}}));

// A UTF-8 export split by "§" (C2 A7): "Ч" (D0 A7) and "©" (C2 A9) share a
// byte with it and stay whole; the byte-order mark is no part of the first
// field, so the quote after it still opens one.
TEST(QuotedRecordReaderUtf8, LongDelimiterSplitsOnlyAsAWholeCharacter) {
  TempDir dir;
  const std::string bom = "\xEF\xBB\xBF";
  const std::string path =
      dir.Write("u.csv", bom + "\"\xD0\xA7\xC2\xA7x\"\xC2\xA7\xC2\xA9\xD0\xA7\r\n"
                               "a\xC2\xA7\xC2\xA7"
                               "b\xC2");
  for (std::size_t block : {std::size_t{16}, std::size_t{17}, std::size_t{18},
                            merge::QuotedRecordReader::kDefaultBlockSize}) {
    merge::QuotedRecordReader reader(path, '\xA7', block, nullptr, "\xC2\xA7", true);
    EXPECT_EQ(RecordsOf(reader),
              (Records{{"\xD0\xA7\xC2\xA7x", "\xC2\xA9\xD0\xA7"}, {"a", "", "b\xC2"}}))
        << "block " << block;
  }
}

// The two bytes of "§" on both sides of the first window's end, and at the
// end of the data with only its first byte there.
TEST(QuotedRecordReaderUtf8, LongDelimiterAcrossWindows) {
  TempDir dir;
  const std::string a63(63, 'a');
  const std::string path = dir.Write("w.csv", a63 + "\xC2\xA7\"b\xC2\xA7\"\xC2\xA7\xC2");
  for (std::size_t block : {std::size_t{16}, std::size_t{64}, std::size_t{65},
                            merge::QuotedRecordReader::kDefaultBlockSize}) {
    merge::QuotedRecordReader reader(path, '\xA7', block, nullptr, "\xC2\xA7", true);
    std::vector<std::string_view> fields;
    reader.NextRecord(fields);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()),
              (std::vector<std::string>{a63, "b\xC2\xA7", "\xC2"}))
        << "block " << block;
    EXPECT_TRUE(reader.AtDataEnd());
  }
}

// Looking for a byte-order mark may read the whole of a short file; the
// records after that still come whole.
TEST(QuotedRecordReaderUtf8, AShortFileWithoutAMark) {
  TempDir dir;
  const std::string path = dir.Write("s.csv", "\nr");
  merge::QuotedRecordReader reader(path, ',', 16, nullptr, {}, true);
  EXPECT_EQ(RecordsOf(reader), (Records{{}, {"r"}}));
}

TEST(ReadQuotedSourceFile, SkipCountCountsRecordsNotLines) {
  TempDir dir;
  const std::string path =
      dir.Write("f.csv", "\"long\r\nheader\",b\r\nskipped,too\r\n1,\"2\r\n3\"\r\n4,5\r\n");
  Records placed;
  const bool open = merge::ReadQuotedSourceFile(
      path, 2, ',', [&](const auto& fields) { placed.emplace_back(fields.begin(), fields.end()); });
  EXPECT_FALSE(open);
  EXPECT_EQ(placed, (Records{{"1", "2\r\n3"}, {"4", "5"}}));
}

TEST(ReadQuotedSourceFile, ReportsAQuoteLeftOpenAndSkipsMissingFiles) {
  TempDir dir;
  const std::string path = dir.Write("f.csv", "a,\"b\n");
  int records = 0;
  EXPECT_TRUE(merge::ReadQuotedSourceFile(path, 0, ',', [&](const auto&) { ++records; }));
  EXPECT_EQ(records, 1);
  EXPECT_FALSE(
      merge::ReadQuotedSourceFile(dir.File("none.csv"), 0, ',', [&](const auto&) { ++records; }));
  EXPECT_EQ(records, 1);
}

} // namespace
