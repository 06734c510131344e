// Collecting exports as spreadsheets and databases write them: quoted fields,
// a header line, and columns that drift from file to file.
#include "merge/collect.h"

#include "tests/support/collect_test_support.h"

#include <gtest/gtest.h>

namespace {

using merge::CollectOptions;
using merge::ResultTable;
using testing_support::Cells;
using testing_support::FakeCandidates;
using testing_support::Grid;
using testing_support::TempDir;

const std::string kNameCaption = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0"; // "Имя файла"

CollectOptions Options(bool quotes, bool header, bool match, bool side_by_side = false) {
  CollectOptions o;
  o.delimiter_text = ",";
  o.quotes = quotes;
  o.header = header;
  o.match_headers = match;
  o.side_by_side = side_by_side;
  return o;
}

class CollectExports : public ::testing::Test {
protected:
  merge::CollectSummary Collect(const CollectOptions& options,
                                std::vector<FakeCandidates::Item> items) {
    FakeCandidates candidates(dir, std::move(items));
    return merge::CollectFiles(table, candidates, options, nullptr);
  }

  TempDir dir;
  ResultTable table;
};

// A spreadsheet's export: CR LF, a header, a name with a comma, a note with a
// line break and quotes inside.
const char kSheet1[] = "id,name,note\r\n"
                       "1,\"Smith, John\",\"said \"\"hi\"\"\r\nthen left\"\r\n"
                       "2,Ann,\r\n";
const char kSheet2[] = "id,name,note\r\n"
                       "3,\"Doe, Jane\",\"\"\r\n";

TEST_F(CollectExports, QuotedStackedWithOneHeaderRow) {
  dir.Write("a.csv", kSheet1);
  dir.Write("b.csv", kSheet2);
  const merge::CollectSummary summary = Collect(Options(true, true, false), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(summary.files_with_open_quote, 0);
  EXPECT_EQ(Cells(table, 4, 5), (Grid{{"id", "name", "note", kNameCaption},
                                      {"1", "Smith, John", "said \"hi\"\r\nthen left", "a"},
                                      {"2", "Ann", "", "a"},
                                      {"3", "Doe, Jane", "", "b"},
                                      {"", "", "", ""}}));
  EXPECT_EQ(table.RowCount(), 4);
}

TEST_F(CollectExports, WithoutQuotesTheSameFileSplitsAsBefore) {
  dir.Write("a.csv", "1,\"Smith, John\"\n");
  Collect(Options(false, false, false), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 4, 1), (Grid{{"1", "\"Smith", " John\"", "a"}}));
}

TEST_F(CollectExports, SkipCountCountsRecordsBeforeTheHeader) {
  dir.Write("a.csv", "\"exported\r\nby the shop\"\r\nid,x\r\n1,2\r\n");
  CollectOptions o = Options(true, true, false);
  o.skip_count = 1;
  o.add_file_name = false;
  Collect(o, {{"a.csv"}});
  EXPECT_EQ(Cells(table, 2, 2), (Grid{{"id", "x"}, {"1", "2"}}));
}

TEST_F(CollectExports, SideBySideEachHeaderInRowZeroOfItsColumns) {
  dir.Write("a.csv", "id,x\n1,2\n");
  dir.Write("b.csv", "id,y\n3,4\n");
  Collect(Options(false, true, false, true), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 6, 2), (Grid{{"id", "x", kNameCaption, "id", "y", kNameCaption},
                                      {"1", "2", "a", "3", "4", "b"}}));
  EXPECT_EQ(table.ColCount(), 6);
}

TEST_F(CollectExports, UnterminatedQuoteRunsToTheEndAndIsCounted) {
  dir.Write("a.csv", "id,x\n1,\"open\n2,3\n");
  dir.Write("b.csv", "id,x\n4,5\n");
  const merge::CollectSummary summary = Collect(Options(true, true, false), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(summary.files_with_open_quote, 1);
  EXPECT_EQ(Cells(table, 3, 3),
            (Grid{{"id", "x", kNameCaption}, {"1", "open\n2,3\n", "a"}, {"4", "5", "b"}}));
}

// "Собрать повторно" and "Добавить" keep one header row.
TEST_F(CollectExports, CollectAgainAndAddKeepOneHeader) {
  dir.Write("a.csv", "id\n1\n");
  FakeCandidates candidates(dir, {{"a.csv"}, {"a.csv"}});
  for (const bool match : {false, true}) {
    CollectOptions o = Options(false, true, match);
    o.add_file_name = false;
    o.skip_count = 1;
    merge::CollectAgain(table, candidates, o, nullptr);
    EXPECT_EQ(Cells(table, 1, 3), (Grid{{"id"}, {"1"}, {"1"}}));
    merge::AddFiles(table, candidates, o, nullptr);
    EXPECT_EQ(Cells(table, 2, 6),
              (Grid{{"id", ""}, {"1", ""}, {"1", ""}, {"1", ""}, {"1", ""}, {"", ""}}));
    EXPECT_EQ(table.ColCount(), 1);
    EXPECT_EQ(table.RowCount(), 5);
  }
}

TEST_F(CollectExports, ColumnsMatchedByHeaderNames) {
  dir.Write("2019.csv", "id,name,sum\r\n1,Ann,10\r\n");
  dir.Write("2020.csv", "id,name,sum,vat\r\n2,Bob,20,4\r\n");    // gains a column
  dir.Write("2021.csv", "id, sum ,name\r\n3,30,Cid\r\n");        // two swapped, spaces around
  dir.Write("2022.csv", "id,name\r\n4,Dan\r\n");                 // lacks a column
  dir.Write("2023.csv", "id,tel,tel,name\r\n5,555,777,Eve\r\n"); // a name twice
  Collect(Options(false, true, true),
          {{"2019.csv"}, {"2020.csv"}, {"2021.csv"}, {"2022.csv"}, {"2023.csv"}});
  EXPECT_EQ(Cells(table, 8, 7), (Grid{{"id", "name", "sum", "vat", "tel", "tel", kNameCaption, ""},
                                      {"1", "Ann", "10", "", "", "", "2019", ""},
                                      {"2", "Bob", "20", "4", "", "", "2020", ""},
                                      {"3", "Cid", "30", "", "", "", "2021", ""},
                                      {"4", "Dan", "", "", "", "", "2022", ""},
                                      {"5", "Eve", "", "", "555", "777", "2023", ""},
                                      {"", "", "", "", "", "", "", ""}}));
  // Shown exactly as saved: the name column is the last one.
  EXPECT_EQ(table.ColCount(), 7);
  EXPECT_EQ(table.RowCount(), 6);
}

TEST_F(CollectExports, FieldsBeyondAHeaderGoAfterTheUnionAndTheNamesFollow) {
  dir.Write("a.csv", "id,x\n1,2\n3,4,extra,more\n");
  dir.Write("b.csv", "x,id\n5,6\n");
  Collect(Options(false, true, true), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 5, 4), (Grid{{"id", "x", "", "", kNameCaption},
                                      {"1", "2", "", "", "a"},
                                      {"3", "4", "extra", "more", "a"},
                                      {"6", "5", "", "", "b"}}));
  EXPECT_EQ(table.ColCount(), 5);
}

TEST_F(CollectExports, MatchingWithQuotesAndWithoutNames) {
  dir.Write("a.csv", "\"id\",\"full name\"\r\n1,\"Smith, John\"\r\n");
  dir.Write("b.csv", "\"full name\",id\r\n\"Doe,\r\nJane\",2\r\n");
  CollectOptions o = Options(true, true, true);
  o.add_file_name = false;
  Collect(o, {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 3, 4), (Grid{{"id", "full name", ""},
                                      {"1", "Smith, John", ""},
                                      {"2", "Doe,\r\nJane", ""},
                                      {"", "", ""}}));
  EXPECT_EQ(table.ColCount(), 2);
}

// Exports of one shop over the years, some saved by a spreadsheet as UTF-8
// with a byte-order mark, one still in Windows-1251: with the encoding
// detected, the quoted fields are converted like plain lines and the header
// names ("имя", "сумма") match across the two encodings.
TEST_F(CollectExports, QuotedExportsInMixedEncodingsMatchByName) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string name_utf8 = "\xD0\xB8\xD0\xBC\xD1\x8F";                // "имя"
  const std::string sum_utf8 = "\xD1\x81\xD1\x83\xD0\xBC\xD0\xBC\xD0\xB0"; // "сумма"
  const std::string ivanov_utf8 = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"; // "Иванов"
  dir.Write("a.csv", bom + "\"" + name_utf8 + "\"," + sum_utf8 + "\r\n\"" + ivanov_utf8 +
                         ", \xD0\x98.\",\"1,5\"\r\n");
  dir.Write(
      "b.csv",
      "\xF1\xF3\xEC\xEC\xE0,\xE8\xEC\xFF\r\n2,\"\xCF\xE5\xF2\xF0\xEE\xE2\r\n\"\"\xCF\"\"\"\r\n");
  CollectOptions o = Options(true, true, true);
  o.add_file_name = false;
  o.source_encoding = merge::SourceEncoding::kDetect;
  Collect(o, {{"a.csv"}, {"b.csv"}});
  ASSERT_EQ(table.Encoding(), merge::TextEncoding::kUtf8);
  EXPECT_EQ(Cells(table, 2, 3),
            (Grid{{name_utf8, sum_utf8},
                  {ivanov_utf8 + ", \xD0\x98.", "1,5"},
                  {"\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2\r\n\"\xD0\x9F\"", "2"}}));
  EXPECT_EQ(table.ColCount(), 2);

  // Into a Windows-1251 table the UTF-8 file's fields come converted, its
  // mark gone.
  ResultTable cp1251;
  dir.Write("empty.csv", "");
  FakeCandidates empty(dir, {{"empty.csv"}});
  CollectOptions plain = Options(false, false, false);
  plain.add_file_name = false;
  merge::CollectFiles(cp1251, empty, plain, nullptr); // fixes the table's encoding
  FakeCandidates candidates(dir, {{"a.csv"}});
  o.source_encoding = merge::SourceEncoding::kUtf8;
  merge::CollectFiles(cp1251, candidates, o, nullptr);
  ASSERT_EQ(cp1251.Encoding(), merge::TextEncoding::kCp1251);
  EXPECT_EQ(Cells(cp1251, 2, 2), (Grid{{"\xE8\xEC\xFF", "\xF1\xF3\xEC\xEC\xE0"},
                                       {"\xC8\xE2\xE0\xED\xEE\xE2, \xC8.", "1,5"}}));
}

TEST_F(CollectExports, MatchingIsForStackedOnly) {
  dir.Write("a.csv", "id,x\n1,2\n");
  dir.Write("b.csv", "x,id\n3,4\n");
  CollectOptions o = Options(false, true, true, true);
  o.add_file_name = false;
  Collect(o, {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 4, 2), (Grid{{"id", "x", "x", "id"}, {"1", "2", "3", "4"}}));
}

} // namespace
