// Collecting exports as spreadsheets and databases write them: quoted fields,
// a header line, and columns that drift from file to file.
#include "merge/collect.h"

#include "tests/merge/collect_test_support.h"

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
                                      {"2", "Ann", "a", ""},
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
  EXPECT_EQ(Cells(table, 8, 2), (Grid{{"", "", "id", "x", kNameCaption, "id", "y", kNameCaption},
                                      {"", "", "1", "2", "a", "3", "4", "b"}}));
}

TEST_F(CollectExports, UnterminatedQuoteRunsToTheEndAndIsCounted) {
  dir.Write("a.csv", "id,x\n1,\"open\n2,3\n");
  dir.Write("b.csv", "id,x\n4,5\n");
  const merge::CollectSummary summary = Collect(Options(true, true, false), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(summary.files_with_open_quote, 1);
  EXPECT_EQ(Cells(table, 3, 3),
            (Grid{{"id", "x", kNameCaption}, {"1", "open\n2,3\n", "a"}, {"4", "5", "b"}}));
}

TEST_F(CollectExports, CollectAgainIgnoresTheHeader) {
  dir.Write("a.csv", "id\n1\n");
  FakeCandidates candidates(dir, {{"a.csv"}, {"a.csv"}});
  CollectOptions o = Options(false, true, true);
  o.add_file_name = false;
  merge::N6Collect(table, candidates, o, nullptr);
  EXPECT_EQ(Cells(table, 1, 4), (Grid{{"id"}, {"1"}, {"id"}, {"1"}}));
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

TEST_F(CollectExports, MatchingIsForStackedOnly) {
  dir.Write("a.csv", "id,x\n1,2\n");
  dir.Write("b.csv", "x,id\n3,4\n");
  CollectOptions o = Options(false, true, true, true);
  o.add_file_name = false;
  Collect(o, {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 6, 2),
            (Grid{{"", "", "id", "x", "x", "id"}, {"", "", "1", "2", "3", "4"}}));
}

} // namespace
