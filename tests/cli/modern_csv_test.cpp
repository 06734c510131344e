// The command line with a header row on: the file is exactly the records,
// no row or column that no source holds.

#include "cli/batch_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::TempDir;

// Runs the program's command line on the files, written in that order, and
// returns what it wrote ("<status N>" when it failed).
std::string MergeOf(const std::vector<std::pair<std::string, std::string>>& files,
                    std::vector<std::string> args) {
  TempDir dir;
  args.insert(args.begin(), {"-o", dir.File("out.txt"), "-q"});
  for (const auto& [name, bytes] : files)
    args.push_back(dir.Write(name, bytes));
  std::FILE* err = std::tmpfile();
  const int status = cli::RunBatch(args, err, false);
  std::fclose(err);
  if (status != 0)
    return "<status " + std::to_string(status) + ">";
  return testing_support::ReadBytes(dir.File("out.txt"));
}

const std::vector<std::string> kModern = {"--quotes", "--header", "--match-headers",
                                          "--quote-output", "--utf8"};

TEST(HeaderRowExtentsTest, TheFileIsExactlyTheRecords) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> args;
    std::string expected;
  };
  const std::vector<std::string> positional = {"--header", "--quote-output"};
  const std::vector<std::string> named = {"--header", "--file-name", "name"};
  const std::vector<Case> cases = {
      {"a header-only first file",
       {{"h.csv", "id,name\r\n"}, {"a.csv", "id,name\r\n1,Ann\r\n"}},
       kModern,
       "id,name\r\n1,Ann\r\n"},
      {"a header-only file alone", {{"h.csv", "id,name\r\n"}}, kModern, "id,name\r\n"},
      {"an empty first file", {{"e.csv", ""}, {"a.csv", "id\r\n1\r\n"}}, kModern, "id\r\n1\r\n"},
      {"an empty file alone", {{"e.csv", ""}}, kModern, "\r\n"},
      {"one column", {{"a.csv", "a\n4.5\n"}}, kModern, "a\r\n4.5\r\n"},
      {"three columns, not matched",
       {{"a.csv", "a,b,c\n1,2,3\n"}},
       positional,
       "a,b,c\r\n1,2,3\r\n"},
      {"not matched, an empty first file",
       {{"e.csv", ""}, {"a.csv", "x\n1\n"}, {"b.csv", "x\n2\n"}},
       positional,
       "x\r\n1\r\n2\r\n"},
      {"not matched, rows of other widths and their names",
       {{"a.csv", "x,y\n1\n"}, {"b.csv", "x,y\n2,3,4\n"}},
       named,
       "x,y,\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0,,\r\n1,a,,,\r\n2,3,4,b,\r\n"},
      {"side by side",
       {{"a.csv", "x\n1\n2\n"}, {"b.csv", "y\n3\n"}},
       {"--header", "--side-by-side", "--quote-output"},
       "x,y\r\n1,3\r\n2,\r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MergeOf(c.files, c.args), c.expected) << c.what;
}

} // namespace

// Encoding names as people write them give what the canonical name gives; a
// wrong one is a usage error that lists the accepted ones.
TEST(EncodingNamesTest, EveryCommonSpellingReadsTheSame) {
  const std::vector<std::pair<std::string, std::string>> files = {{"a.csv", "\xD0\x96,\xC6\n"}};
  const std::string utf8 = MergeOf(files, {"--utf8", "--encoding", "utf-8"});
  const std::string cp1251 = MergeOf(files, {"--utf8", "--encoding", "1251"});
  ASSERT_NE(utf8, cp1251);
  for (const char* name : {"utf8", "UTF-8", "utf-8-sig", "Utf8"})
    EXPECT_EQ(MergeOf(files, {"--utf8", "--encoding", name}), utf8) << name;
  for (const char* name : {"cp1251", "windows-1251", "CP1251", "Windows-1251"})
    EXPECT_EQ(MergeOf(files, {"--utf8", "--encoding", name}), cp1251) << name;
  EXPECT_EQ(MergeOf(files, {"--encoding", "latin1"}), "<status 2>");
}

// The output named as one of the sources is refused in every mode before
// anything is read: status 1, the file named, the source as it was.
TEST(OutputAmongSourcesTest, RefusedTheSameWayInEveryMode) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1,2\n");
  const std::string b = dir.Write("b.csv", "3\n");
  for (const std::vector<std::string>& mode :
       std::vector<std::vector<std::string>>{{},
                                             {"--in-memory"},
                                             {"--encoding", "utf-8"},
                                             {"--side-by-side"},
                                             {"--quotes", "--header"}}) {
    std::vector<std::string> args = {"-o", b, a, b};
    args.insert(args.end(), mode.begin(), mode.end());
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunBatch(args, err, false), 1) << mode.size();
    std::rewind(err);
    char text[512] = {};
    EXPECT_GT(std::fread(text, 1, sizeof text - 1, err), 0u);
    std::fclose(err);
    EXPECT_EQ(std::string(text),
              "kleitab: " + b + ": Файл для сохранения — один из исходных файлов.\n");
    EXPECT_EQ(testing_support::ReadBytes(b), "3\n");
  }
}

// What was lost is told on standard error with status 0; -q says nothing,
// --strict fails before anything is written.
TEST(LossReportTest, ToldSilencedOrAnError) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "\xCE\xA9mega\n"); // "Ωmega": no byte in Windows-1251
  const std::string b = dir.Write("b.csv", "x,\"open\n");     // a quote left open
  const std::string c = dir.Write("c.csv", "\xFF\n");         // not UTF-8
  const auto run = [&](std::vector<std::string> extra, std::string& err_text) {
    std::vector<std::string> args = {"-o", dir.File("out.txt"), "--encoding", "utf-8", "--quotes"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {a, b, c});
    std::FILE* err = std::tmpfile();
    const int status = cli::RunBatch(args, err, false);
    std::rewind(err);
    char text[2048] = {};
    err_text.assign(text, std::fread(text, 1, sizeof text - 1, err));
    std::fclose(err);
    return status;
  };
  std::string err;
  EXPECT_EQ(run({}, err), 0);
  EXPECT_EQ(
      err, "kleitab: файлов не в кодировке UTF-8: 1, их байты взяты как есть; первый из них: " + c +
               "\nkleitab: файлов, где кавычка не закрыта до конца файла: 1\n" +
               "kleitab: символов, которых нет в кодировке Windows-1251: 1, в файл они "
               "записаны как «?»; первый из них: строка 1, столбец 1\n");
  EXPECT_EQ(testing_support::ReadBytes(dir.File("out.txt")).substr(0, 6), "?mega,");
  EXPECT_EQ(run({"-q"}, err), 0);
  EXPECT_EQ(err, "");
  std::remove(dir.File("out.txt").c_str());
  EXPECT_EQ(run({"--strict"}, err), 1);
  EXPECT_NE(err.find("строка 1, столбец 1"), std::string::npos) << err;
  EXPECT_FALSE(std::ifstream(dir.File("out.txt")).good());
}

// Data after a byte 26 that ended a file early is told, streamed or through
// the table; a byte 26 as the last byte (the old end-of-file mark) is not.
TEST(LossReportTest, DataCutAtAByte26) {
  TempDir dir;
  const std::string cut = dir.Write("cut.csv", "a\n\x1a"
                                               "b\n");
  const std::string mark = dir.Write("mark.csv", "c\n\x1a");
  for (const char* mode : {"--stacked", "--in-memory", "--strict"}) {
    std::FILE* err = std::tmpfile();
    const int status = cli::RunBatch({"-o", dir.File("out.txt"), mode, mark, cut}, err, false);
    std::rewind(err);
    char text[1024] = {};
    const std::string said(text, std::fread(text, 1, sizeof text - 1, err));
    std::fclose(err);
    EXPECT_EQ(status, std::string(mode) == "--strict" ? 1 : 0) << mode;
    EXPECT_NE(said.find("байт 26 закончил данные раньше конца файла (остальное не прочитано): 1; "
                        "первый из них: " +
                        cut),
              std::string::npos)
        << mode << ": " << said;
  }
}

// With the name column first and its own caption, every row of the modern
// merge is the row it is without them, its last cell moved to the front
// (the caption in place of "Имя файла").
TEST(FileNameColumnTest, FirstAndCaptionMoveTheLastColumn) {
  const std::vector<std::vector<std::pair<std::string, std::string>>> folders = {
      {{"a.csv", "id,name\n1,Ann\n"}, {"b.csv", "name,id,x\nBob,2,y\n3\n"}},
      {{"e.csv", ""}, {"a.csv", "k\n1,2,3\n"}},
      {{"a.csv", "id\n\n"}, {"b.csv", "id,v\n4,5\n"}},
  };
  const auto rows = [](const std::string& text) {
    std::vector<std::vector<std::string>> result;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find("\r\n", at);
      std::vector<std::string> row;
      for (std::size_t from = at;;) {
        const std::size_t comma = text.find(',', from);
        if (comma == std::string::npos || comma > end) {
          row.push_back(text.substr(from, end - from));
          break;
        }
        row.push_back(text.substr(from, comma - from));
        from = comma + 1;
      }
      result.push_back(row);
      at = end + 2;
    }
    return result;
  };
  for (const auto& files : folders) {
    std::vector<std::string> args = kModern;
    args.insert(args.end(), {"--file-name", "name"});
    std::vector<std::vector<std::string>> want = rows(MergeOf(files, args));
    for (std::vector<std::string>& row : want)
      std::rotate(row.begin(), row.end() - 1, row.end());
    want[0][0] = "Файл";
    args.insert(args.end(), {"--file-name-first", "--file-name-header", "Файл"});
    EXPECT_EQ(rows(MergeOf(files, args)), want) << files[0].second;
  }
}
