// The command line with a header row on: the file is exactly the records,
// no row or column that no source holds.

#include "cli/batch_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
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
